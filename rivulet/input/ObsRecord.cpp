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

bool ObsRecord::isSkipped(const QString& line)
{
    if (line.isEmpty() || line.at(0) == QLatin1Char('#'))
        return true;
    for (const QChar c : line) {
        if (c != QLatin1Char(',') && !c.isSpace())
            return false;
    }
    return true;
}

void ObsRecord::split(const QString& line)
{
    int start = 0;
    for (int i = 0; i < fieldCount; ++i) {
        if (start > line.size()) {
            m_fields[i] = QStringRef();
            continue;
        }
        int end = line.indexOf(QLatin1Char(','), start);
        if (end < 0)
            end = line.size();
        m_fields[i] = QStringRef(&line, start, end - start);
        start = end + 1;
    }
}

} // namespace rivulet
