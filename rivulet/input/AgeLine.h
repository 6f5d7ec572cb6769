#pragma once

#include <QString>

namespace rivulet {

// One line of an age data file read into a tag code and a cohort. Fields are separated by
// commas: "tag,cohort", or "tag,year,age" where the year is a whole number or a date
// "M/d/yyyy" and cohort = year - age. A cohort (brood year) outside firstCohort..lastCohort is
// taken for a typing error rather than stored.
struct AgeLine
{
    enum Kind
    {
        Skipped, // empty, a "#" comment, or its last field is "NA"
        Cohort,  // `tagCode` and `cohort` are set
        Invalid  // `error` says why
    };

    static constexpr int firstCohort = 1950;
    static constexpr int lastCohort = 2100;

    static AgeLine parse(const QString& line);

    Kind kind = Skipped;
    QString tagCode;
    int cohort = 0;
    // What is wrong and what was expected, the offending field's 1-based column and its text.
    QString error;
    int column = 0;
    QString value;

private:
    static AgeLine invalid(const QString& message, int column, const QString& value);
    static AgeLine cohortLine(const QString& tagCode, int cohort, int column, const QString& value);
    static AgeLine fromYearAndAge(const QString& tagCode, const QString& year, const QString& age);
};

} // namespace rivulet
