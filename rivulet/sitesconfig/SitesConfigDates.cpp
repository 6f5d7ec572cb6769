#include "rivulet/sitesconfig/SitesConfigDates.h"

#include <QDateTime>
#include <QStringList>

#include <cmath>

namespace rivulet {

namespace {

constexpr double secondsPerDay = 86400.0;

// A whole number written only with ASCII digits.
std::optional<int> readNumber(const QString& text, int maxDigits = 9)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

bool isLeapYear(int year)
{
    if (year < 1583)
        return year % 4 == 0;
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::optional<SitesConfigDates::Date> makeDate(std::optional<int> year, std::optional<int> month,
                                               std::optional<int> day)
{
    if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1 ||
        *day > daysInMonth(*year, *month))
        return std::nullopt;
    return SitesConfigDates::Date{*year, *month, *day};
}

std::optional<int> monthOfAbbreviation(const QString& text)
{
    static const char* const names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    for (int i = 0; i < 12; ++i) {
        if (text.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return std::nullopt;
}

std::optional<SitesConfigDates::Date> readSeparated(const QString& text, QChar separator)
{
    const QStringList parts = text.split(separator);
    if (parts.size() != 3)
        return std::nullopt;
    if (separator == QLatin1Char('-') && text.indexOf(separator) == 4)
        return makeDate(readNumber(parts[0]), readNumber(parts[1]), readNumber(parts[2]));
    if (separator == QLatin1Char('-'))
        return makeDate(readNumber(parts[2]), monthOfAbbreviation(parts[1]), readNumber(parts[0]));
    if (separator == QLatin1Char('.'))
        return makeDate(readNumber(parts[0]), readNumber(parts[1]), readNumber(parts[2]));
    // month/day/year
    std::optional<int> year = readNumber(parts[2]);
    if (year && parts[2].size() <= 2)
        *year += *year < 81 ? 2000 : 1900;
    return makeDate(year, readNumber(parts[0]), readNumber(parts[1]));
}

} // namespace

std::optional<long> SitesConfigDates::julianDayNumber(int year, int month, int day)
{
    if (!makeDate(year, month, day))
        return std::nullopt;
    // Count from March, so that the leap day ends the counting year.
    long y = month > 2 ? year : year - 1;
    const long m = month > 2 ? month + 1 : month + 13;
    long jdn =
        static_cast<long>(std::floor(365.25 * y)) + static_cast<long>(30.6001 * m) + day + 1720995;
    // The Gregorian reform dropped ten days after 4 October 1582.
    const long gregorianStart = 15 + 31 * (10 + 12 * 1582);
    if (day + 31 * (month + 12 * year) >= gregorianStart) {
        const long century = y / 100;
        jdn += 2 - century + century / 4;
    }
    return jdn;
}

std::optional<double> SitesConfigDates::midnight(int year, int month, int day)
{
    const std::optional<long> jdn = julianDayNumber(year, month, day);
    if (!jdn)
        return std::nullopt;
    return static_cast<double>(*jdn) - 0.5;
}

std::optional<SitesConfigDates::Date> SitesConfigDates::readDate(const QString& text)
{
    if (text.contains(QLatin1Char('-')))
        return readSeparated(text, QLatin1Char('-'));
    if (text.contains(QLatin1Char('.')))
        return readSeparated(text, QLatin1Char('.'));
    if (text.contains(QLatin1Char('/')))
        return readSeparated(text, QLatin1Char('/'));
    if (text.size() == 8 && readNumber(text))
        return makeDate(readNumber(text.left(4)), readNumber(text.mid(4, 2)),
                        readNumber(text.mid(6, 2)));
    return std::nullopt;
}

std::optional<double> SitesConfigDates::readTimeOfDay(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    const std::optional<int> hours = readNumber(parts[0], 2);
    const std::optional<int> minutes = readNumber(parts[1], 2);
    const std::optional<int> seconds = parts.size() == 3 ? readNumber(parts[2], 2) : 0;
    if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59)
        return std::nullopt;
    return (*hours * 3600 + *minutes * 60 + *seconds) / secondsPerDay;
}

std::optional<double> SitesConfigDates::rangeLimit(const QString& text, double defaultTime)
{
    const int plus = text.indexOf(QLatin1Char('+'));
    const std::optional<Date> date = readDate(plus < 0 ? text : text.left(plus));
    if (!date)
        return std::nullopt;
    const std::optional<double> time = plus < 0 ? defaultTime : readTimeOfDay(text.mid(plus + 1));
    const std::optional<double> day = midnight(date->year, date->month, date->day);
    if (!time || !day)
        return std::nullopt;
    return *day + *time;
}

std::optional<double> SitesConfigDates::rangeBegin(const QString& text)
{
    return rangeLimit(text, 0.0);
}

std::optional<double> SitesConfigDates::rangeEnd(const QString& text)
{
    if (text.compare(QLatin1String("present"), Qt::CaseInsensitive) == 0)
        return openEnd;
    return rangeLimit(text, lastSecondOfDay);
}

std::optional<double> SitesConfigDates::detectionTime(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 2)
        return std::nullopt;
    const std::optional<Date> date = readDate(parts[0]);
    const std::optional<double> time = parts.size() == 2 ? readTimeOfDay(parts[1]) : 0.0;
    if (!date || !time)
        return std::nullopt;
    return *midnight(date->year, date->month, date->day) + *time;
}

std::optional<double> SitesConfigDates::detectionTime(const QDateTime& time)
{
    if (!time.isValid())
        return std::nullopt;
    const QDate date = time.date();
    const std::optional<double> day = midnight(date.year(), date.month(), date.day());
    if (!day)
        return std::nullopt;
    return *day + time.time().msecsSinceStartOfDay() / (1000.0 * secondsPerDay);
}

} // namespace rivulet
