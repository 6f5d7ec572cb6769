#pragma once

#include <string_view>

namespace rivulet {

// A date-time field of an observation export, written "yyyy-MM-dd HH:mm:ss" with every field
// at its full width (as Qt reads that format: "2012-4-23 14:05:00" is not valid). Reading it
// is on the path of every detection row, so it is read by hand. The time is taken as written
// (no time zone), so a wall-clock time that a daylight-saving change skips is still valid.
class ObsDateTime
{
public:
    static constexpr const char* format = "yyyy-MM-dd HH:mm:ss";

    // False when the text (UTF-8) is not a valid date-time in that format.
    bool read(std::string_view text);

    // The calendar year of the last date-time read, as the program files detections by.
    int year() const { return m_year; }

    // Julian day number of the instant (midnight ends in .5, the time of day as a fraction),
    // the scale of the sites configuration's date ranges.
    double julianDay() const { return m_julianDay; }

private:
    double m_julianDay = 0.0;
    int m_year = 0;
};

} // namespace rivulet
