#include "rivulet/input/AgeLine.h"

#include <QDate>
#include <QStringList>

namespace rivulet {

AgeLine AgeLine::invalid(const QString& message, int column, const QString& value)
{
    AgeLine line;
    line.kind = Invalid;
    line.error = message;
    line.column = column;
    line.value = value;
    return line;
}

AgeLine AgeLine::cohortLine(const QString& tagCode, int cohort, int column, const QString& value)
{
    if (cohort < firstCohort || cohort > lastCohort)
        return invalid(QStringLiteral("Implausible cohort %1: expected a brood year from %2 to %3")
                           .arg(cohort)
                           .arg(firstCohort)
                           .arg(lastCohort),
                       column, value);
    AgeLine line;
    line.kind = Cohort;
    line.tagCode = tagCode;
    line.cohort = cohort;
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
    // A line without its tag can belong to no fish; it is a broken line, not an unknown tag.
    if (tagCode.isEmpty() && (fields.size() == 2 || fields.size() == 3))
        return invalid(QStringLiteral("Missing tag code: expected the fish's tag, such as "
                                      "3D9.1C2D8F2B5F"),
                       1, fields.first());
    if (fields.size() == 2) {
        bool ok = false;
        const int cohort = fields.at(1).trimmed().toInt(&ok, 10);
        if (!ok)
            return invalid(QStringLiteral("Invalid cohort: expected a brood year such as 2007"), 2,
                           fields.at(1));
        return cohortLine(tagCode, cohort, 2, fields.at(1));
    }
    if (fields.size() == 3)
        return fromYearAndAge(tagCode, fields.at(1).trimmed(), fields.at(2).trimmed());
    return invalid(QStringLiteral("%1 fields: expected \"tag,cohort\" or \"tag,year,age\" "
                                  "(quoted fields are not supported)")
                       .arg(fields.size()),
                   fields.size() > 3 ? 4 : 1, fields.size() > 3 ? fields.at(3) : text);
}

AgeLine AgeLine::fromYearAndAge(const QString& tagCode, const QString& yearText,
                                const QString& ageText)
{
    bool ok = false;
    int year = yearText.toInt(&ok, 10);
    if (!ok) {
        const QDate date = QDate::fromString(yearText, QStringLiteral("M/d/yyyy"));
        if (!date.isValid())
            return invalid(
                QStringLiteral("Invalid year: expected a year such as 2008 or a date M/d/yyyy"), 2,
                yearText);
        year = date.year();
    }
    const int age = ageText.toInt(&ok, 10);
    if (!ok || age < 0 || age > year)
        return invalid(QStringLiteral("Invalid age: expected a whole number of years, 0 or more"),
                       3, ageText);
    return cohortLine(tagCode, year - age, 2, yearText);
}

} // namespace rivulet
