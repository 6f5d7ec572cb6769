#pragma once

#include <QString>

#include <optional>

class QDateTime;

namespace rivulet {

// Julian day numbers of the dates and times written in a sites
// configuration file and in detection records. A value counts days, with
// midnight ending in .5 and the time of day as a fraction.
//
// Accepted date forms:
//   2008-03-01    year-month-day (the first "-" is the fifth character)
//   01-Mar-2008   day-month-year, English month abbreviation, any case
//   2008.3.1      year.month.day
//   3/1/2008      month/day/year; a year of one or two digits below 81 is
//                 20xx, any other 19xx
//   20080301      eight digits year-month-day
class SitesConfigDates
{
public:
    // The end of a range written "present".
    static constexpr double openEnd = 1e8;
    static constexpr double lastSecondOfDay = (23 * 3600 + 59 * 60 + 50) / 86400.0;

    struct Date
    {
        int year = 0;
        int month = 0;
        int day = 0;
    };

    // Julian day number of the day (Gregorian calendar from 15 October
    // 1582, Julian calendar before), at noon; no value for an impossible
    // date.
    static std::optional<long> julianDayNumber(int year, int month, int day);
    // Julian day number of midnight at the start of the day.
    static std::optional<double> midnight(int year, int month, int day);

    static std::optional<Date> readDate(const QString& text);
    // Fraction of a day of "H:m:s" (or "H:m").
    static std::optional<double> readTimeOfDay(const QString& text);

    // Begin of a "RANGE:" or "EXCEPTION:": date[+time], midnight by default.
    static std::optional<double> rangeBegin(const QString& text);
    // End of a range: date[+time], 23:59:50 by default, or "present".
    static std::optional<double> rangeEnd(const QString& text);

    // A detection time: date and time of day separated by a blank, or a
    // date alone (midnight).
    static std::optional<double> detectionTime(const QString& text);
    // The same for a date-time already read; no value when it is invalid.
    static std::optional<double> detectionTime(const QDateTime& time);

private:
    static std::optional<double> rangeLimit(const QString& text, double defaultTime);
};

} // namespace rivulet
