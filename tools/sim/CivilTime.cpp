#include "tools/sim/CivilTime.h"

namespace rivulet::sim {

namespace {
// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
qint64 daysFromCivil(int y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(qint64 z, int& y, int& m, int& d)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

void appendDigits(std::string& out, int value, int width)
{
    char digits[12];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<size_t>(width));
}
} // namespace

qint64 CivilTime::fromDate(int year, int month, int day)
{
    return daysFromCivil(year, month, day) * Day;
}

qint64 CivilTime::fromDateTime(int year, int month, int day, int hour, int minute, int second)
{
    return fromDate(year, month, day) + hour * 3600 + minute * 60 + second;
}

void CivilTime::split(qint64 time, int& year, int& month, int& day)
{
    civilFromDays(floorDiv(time, Day), year, month, day);
}

int CivilTime::yearOf(qint64 time)
{
    int y = 0, m = 0, d = 0;
    split(time, y, m, d);
    return y;
}

void CivilTime::appendDate(std::string& out, qint64 time)
{
    int y = 0, m = 0, d = 0;
    split(time, y, m, d);
    appendDigits(out, y, 4);
    out += '-';
    appendDigits(out, m, 2);
    out += '-';
    appendDigits(out, d, 2);
}

void CivilTime::appendDateTime(std::string& out, qint64 time)
{
    appendDate(out, time);
    const qint64 secs = time - floorDiv(time, Day) * Day;
    out += ' ';
    appendDigits(out, static_cast<int>(secs / 3600), 2);
    out += ':';
    appendDigits(out, static_cast<int>(secs / 60 % 60), 2);
    out += ':';
    appendDigits(out, static_cast<int>(secs % 60), 2);
}

void CivilTime::appendSlashDate(std::string& out, qint64 time)
{
    int y = 0, m = 0, d = 0;
    split(time, y, m, d);
    out += std::to_string(m);
    out += '/';
    out += std::to_string(d);
    out += '/';
    appendDigits(out, y, 4);
}

} // namespace rivulet::sim
