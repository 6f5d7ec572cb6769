#include "rivulet/input/DataFileReader.h"

#include <QByteArray>

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

bool DataFileReader::open()
{
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    m_stream = std::make_unique<QTextStream>(&m_file);
    m_lineNumber = 0;
    return true;
}

void DataFileReader::close()
{
    m_stream.reset();
    m_file.close();
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
        const qint64 n = m_file.read(buffer.data(), chunkSize);
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
    if (!m_file.seek(0))
        return Unreadable;
    m_stream = std::make_unique<QTextStream>(&m_file);
    m_lineNumber = 0;
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

} // namespace rivulet
