#pragma once

#include <QtGlobal>

#include <string>

namespace rivulet::sim {

// Times of the simulated study: whole seconds since 1970-01-01 00:00:00 on a
// calendar without time zones or daylight saving, which is how the export
// writes them. Formatting is done by hand because the large study writes
// millions of time stamps.
class CivilTime
{
public:
    static constexpr qint64 Day = 86400;

    static qint64 fromDate(int year, int month, int day);
    static qint64 fromDateTime(int year, int month, int day, int hour, int minute, int second);
    static int yearOf(qint64 time);
    static void split(qint64 time, int& year, int& month, int& day);

    // "yyyy-MM-dd HH:mm:ss"
    static void appendDateTime(std::string& out, qint64 time);
    // "yyyy-MM-dd"
    static void appendDate(std::string& out, qint64 time);
    // "M/d/yyyy", one of the forms of the age file
    static void appendSlashDate(std::string& out, qint64 time);
};

} // namespace rivulet::sim
