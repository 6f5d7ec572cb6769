#include "rivulet/input/ObsDateTime.h"

#include "rivulet/input/SitesConfigDates.h"

#include <QDate>

namespace rivulet {

namespace {

constexpr int fixedWidth = 19;

// The decimal number of `count` digits at `pos`, or -1 when one of them is not a digit.
int digits(const QStringRef& text, int pos, int count)
{
    int value = 0;
    for (int i = pos; i < pos + count; ++i) {
        const ushort c = text.at(i).unicode();
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

bool ObsDateTime::read(const QStringRef& text)
{
    if (text.size() != fixedWidth || text.at(4) != QLatin1Char('-') ||
        text.at(7) != QLatin1Char('-') || text.at(10) != QLatin1Char(' ') ||
        text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':'))
        return false;
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0)
        return false;
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return false;
    const std::optional<double> midnight = SitesConfigDates::midnight(year, month, day);
    if (!midnight)
        return false;
    m_julianDay = *midnight + (hour * 3600 + minute * 60 + second) / 86400.0;
    return true;
}

int ObsDateTime::yearOf(const QStringRef& text)
{
    const int dash = text.indexOf(QLatin1Char('-'));
    return (dash < 0 ? text : text.left(dash)).toInt();
}

} // namespace rivulet
