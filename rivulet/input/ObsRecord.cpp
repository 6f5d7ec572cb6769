#include "rivulet/input/ObsRecord.h"

namespace rivulet {

QString ObsRecord::fieldName(Field number)
{
    switch (number) {
    case TagCode:
        return QStringLiteral("Tag Code");
    case ReleaseTime:
        return QStringLiteral("Release Date");
    case ReleaseSite:
        return QStringLiteral("Release Site");
    case EventType:
        return QStringLiteral("Event Type");
    case ObsTime:
        return QStringLiteral("Event Date");
    case ObsSite:
        return QStringLiteral("Event Site");
    case Coil:
        return QStringLiteral("Antenna");
    case RowFilter:
        return QStringLiteral("Row Filter");
    }
    return QStringLiteral("field %1").arg(int(number));
}

bool ObsRecord::isSkipped(const QByteArray& line)
{
    if (line.isEmpty() || line.at(0) == '#')
        return true;
    for (const char c : line) {
        if (static_cast<unsigned char>(c) >= 0x80)
            break; // blanks beyond ASCII are told by the text itself
        if (c != ',' && c != ' ' && (c < '\t' || c > '\r'))
            return false;
    }
    for (const QChar c : QString::fromUtf8(line)) {
        if (c != QLatin1Char(',') && !c.isSpace())
            return false;
    }
    return true;
}

void ObsRecord::split(const QByteArray& line)
{
    const std::string_view text(line.constData(), static_cast<std::size_t>(line.size()));
    std::size_t start = 0;
    for (int i = 0; i < fieldCount; ++i) {
        if (start > text.size()) {
            m_fields[i] = std::string_view();
            continue;
        }
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos)
            end = text.size();
        m_fields[i] = text.substr(start, end - start);
        start = end + 1;
    }
}

QString ObsRecord::fieldText(int number) const
{
    const std::string_view text = field(number);
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

} // namespace rivulet
