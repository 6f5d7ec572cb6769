#pragma once

#include <QString>

namespace rivulet {

// One line of an age data file read into a tag code and a cohort. Fields are separated by
// commas: "tag,cohort", or "tag,year,age" where the year is a whole number or a date
// "M/d/yyyy" and cohort = year - age.
struct AgeLine
{
    enum Kind
    {
        Skipped, // empty, a "#" comment, or its last field is "NA"
        Cohort,  // `tagCode` and `cohort` are set
        Invalid  // `error` says why
    };

    static AgeLine parse(const QString& line);

    Kind kind = Skipped;
    QString tagCode;
    int cohort = 0;
    QString error;

private:
    static AgeLine invalid(const char* message);
    static AgeLine fromYearAndAge(const QString& tagCode, const QString& year, const QString& age);
};

} // namespace rivulet
