#include "rivulet/input/ObsDateTime.h"

#include "rivulet/sitesconfig/SitesConfigDates.h"

#include <QDate>

namespace rivulet {

namespace {

constexpr std::size_t fixedWidth = 19;

// The decimal number of `count` digits at `pos`, or -1 when one of them is not a digit.
int digits(std::string_view text, std::size_t pos, std::size_t count)
{
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

bool ObsDateTime::read(std::string_view text)
{
    if (text.size() != fixedWidth || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':')
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
    m_year = year;
    return true;
}

} // namespace rivulet
