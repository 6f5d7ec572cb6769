#include "rivulet/input/DataFileReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <climits>
#include <cstring>

namespace rivulet {

namespace {

constexpr qint64 chunkSize = 1 << 20;
constexpr ushort byteOrderMark = 0xFEFF;

bool startsWithUtf16Mark(const char* data, qint64 size)
{
    if (size < 2)
        return false;
    const auto b0 = static_cast<unsigned char>(data[0]);
    const auto b1 = static_cast<unsigned char>(data[1]);
    return (b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF);
}

bool isBlankByte(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

DataFileReader::DataFileReader(QString fileName)
    : m_device(std::make_unique<QFile>(std::move(fileName)))
{
}

DataFileReader::DataFileReader(const QByteArray& bytes)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    m_device = std::move(buffer);
}

DataFileReader::~DataFileReader() = default;

bool DataFileReader::open()
{
    if (!m_device->open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    m_stream = std::make_unique<QTextStream>(m_device.get());
    m_lineNumber = 0;
    return true;
}

void DataFileReader::close()
{
    m_stream.reset();
    m_device->close();
}

DataFileReader::Content DataFileReader::survey()
{
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    qint64 newlines = 0;
    bool lastWasNewline = true;
    bool first = true;
    bool wide = false;
    bool hasText = false;
    for (;;) {
        const qint64 n = m_device->read(buffer.data(), chunkSize);
        if (n < 0)
            return Unreadable;
        if (n == 0)
            break;
        const char* data = buffer.constData();
        qint64 start = 0;
        if (first) {
            wide = startsWithUtf16Mark(data, n);
            if (wide)
                start = 2;
            else if (n >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0)
                start = 3;
            first = false;
        }
        if (!wide && std::memchr(data, 0, static_cast<size_t>(n)))
            return Binary;
        newlines += std::count(data, data + n, '\n');
        for (qint64 i = start; !hasText && i < n; ++i)
            hasText = data[i] != 0 && !isBlankByte(static_cast<unsigned char>(data[i]));
        lastWasNewline = data[n - 1] == '\n';
    }
    m_lineCount = static_cast<int>(std::min<qint64>(newlines + (lastWasNewline ? 0 : 1), INT_MAX));
    if (!m_device->seek(0))
        return Unreadable;
    m_stream = std::make_unique<QTextStream>(m_device.get());
    m_lineNumber = 0;
    m_wide = wide;
    m_buffer.clear();
    m_bufferPos = 0;
    m_atEnd = false;
    return hasText ? Text : Empty;
}

bool DataFileReader::readLine(QString& line)
{
    if (!m_stream || !m_stream->readLineInto(&line))
        return false;
    ++m_lineNumber;
    if (m_lineNumber == 1 && !line.isEmpty() && line.at(0).unicode() == byteOrderMark)
        line.remove(0, 1);
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return true;
}

bool DataFileReader::readLine(QByteArray& line)
{
    if (m_wide) {
        if (!readLine(m_wideLine))
            return false;
        line = m_wideLine.toUtf8();
        return true;
    }
    if (!nextRawLine(line))
        return false;
    ++m_lineNumber;
    if (m_lineNumber == 1 && line.startsWith("\xEF\xBB\xBF"))
        line.remove(0, 3);
    if (line.endsWith('\r'))
        line.chop(1);
    const bool ascii = std::all_of(line.cbegin(), line.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        line = QString::fromUtf8(line).toUtf8();
    return true;
}

bool DataFileReader::nextRawLine(QByteArray& line)
{
    for (;;) {
        const char* data = m_buffer.constData() + m_bufferPos;
        const int available = m_buffer.size() - m_bufferPos;
        const auto* newline = static_cast<const char*>(std::memchr(data, '\n', available));
        if (newline != nullptr || (m_atEnd && available > 0)) {
            const int length = newline ? static_cast<int>(newline - data) : available;
            line.resize(length);
            std::memcpy(line.data(), data, static_cast<size_t>(length));
            m_bufferPos += newline ? length + 1 : length;
            return true;
        }
        if (m_atEnd || !m_device->isOpen())
            return false;
        // Keeps the start of a line cut by the end of the buffer.
        m_buffer.remove(0, m_bufferPos);
        m_bufferPos = 0;
        const int kept = m_buffer.size();
        m_buffer.resize(kept + static_cast<int>(chunkSize));
        const qint64 n = m_device->read(m_buffer.data() + kept, chunkSize);
        m_buffer.resize(kept + static_cast<int>(std::max<qint64>(n, 0)));
        m_atEnd = n <= 0;
    }
}

} // namespace rivulet
