#include "rivulet/input/AgeLine.h"

#include <QDate>
#include <QStringList>

namespace rivulet {

AgeLine AgeLine::invalid(const char* message)
{
    AgeLine line;
    line.kind = Invalid;
    line.error = QString::fromLatin1(message);
    return line;
}

AgeLine AgeLine::parse(const QString& text)
{
    if (text.trimmed().isEmpty() || text.startsWith(QLatin1Char('#')))
        return AgeLine();
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.last().trimmed().toLower() == QLatin1String("na"))
        return AgeLine();
    const QString tagCode = fields.first().trimmed();
    if (fields.size() == 2) {
        bool ok = false;
        const int cohort = fields.at(1).trimmed().toInt(&ok, 10);
        if (!ok)
            return invalid("Invalid cohort");
        AgeLine line;
        line.kind = Cohort;
        line.tagCode = tagCode;
        line.cohort = cohort;
        return line;
    }
    if (fields.size() == 3)
        return fromYearAndAge(tagCode, fields.at(1).trimmed(), fields.at(2).trimmed());
    return invalid("Invalid format");
}

AgeLine AgeLine::fromYearAndAge(const QString& tagCode, const QString& yearText,
                                const QString& ageText)
{
    bool ok = false;
    int year = yearText.toInt(&ok, 10);
    if (!ok) {
        const QDate date = QDate::fromString(yearText, QStringLiteral("M/d/yyyy"));
        if (!date.isValid())
            return invalid("Invalid date");
        year = date.year();
    }
    const int age = ageText.toInt(&ok, 10);
    if (!ok || age < 0 || age > year)
        return invalid("Invalid age");
    AgeLine line;
    line.kind = Cohort;
    line.tagCode = tagCode;
    line.cohort = year - age;
    return line;
}

} // namespace rivulet
