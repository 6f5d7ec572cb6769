#include "tools/sim/BufferedFile.h"

namespace rivulet::sim {

namespace {
constexpr size_t BlockSize = 1 << 20;
}

BufferedFile::BufferedFile(const QString& path) : m_file(path)
{
    m_buffer.reserve(BlockSize + 4096);
}

BufferedFile::~BufferedFile()
{
    close();
}

bool BufferedFile::open()
{
    m_failed = !m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    return !m_failed;
}

void BufferedFile::write(const std::string& text)
{
    m_buffer += text;
    m_bytes += static_cast<qint64>(text.size());
    if (m_buffer.size() >= BlockSize)
        flush();
}

void BufferedFile::flush()
{
    if (!m_buffer.empty() && m_file.isOpen()) {
        const qint64 size = static_cast<qint64>(m_buffer.size());
        if (m_file.write(m_buffer.data(), size) != size)
            m_failed = true;
    }
    m_buffer.clear();
}

bool BufferedFile::close()
{
    if (!m_file.isOpen())
        return !m_failed;
    flush();
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        m_failed = true;
    return !m_failed;
}

QString BufferedFile::errorString() const
{
    return "\"" + m_file.fileName() + "\": " + m_file.errorString();
}

} // namespace rivulet::sim
