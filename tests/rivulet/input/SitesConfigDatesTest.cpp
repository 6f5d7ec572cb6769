#include "rivulet/input/SitesConfigDates.h"

#include <QDateTime>

#include <gtest/gtest.h>

using rivulet::SitesConfigDates;

namespace {

constexpr double secondTolerance = 0.1 / 86400.0;

double midnightOf(const QDate& date)
{
    return static_cast<double>(date.toJulianDay()) - 0.5;
}

} // namespace

TEST(SitesConfigDates, JulianDayNumbersAcrossTheCalendarReform)
{
    EXPECT_EQ(*SitesConfigDates::julianDayNumber(2000, 1, 1), 2451545);
    EXPECT_EQ(*SitesConfigDates::julianDayNumber(1970, 1, 1), 2440588);
    EXPECT_EQ(*SitesConfigDates::julianDayNumber(1600, 3, 1), 2305508);
    // 4 October 1582 (Julian calendar) was followed by 15 October
    // (Gregorian calendar).
    EXPECT_EQ(*SitesConfigDates::julianDayNumber(1582, 10, 15), 2299161);
    EXPECT_EQ(*SitesConfigDates::julianDayNumber(1582, 10, 4), 2299160);
    // Leap days of the Julian calendar, which the Gregorian one dropped.
    EXPECT_TRUE(SitesConfigDates::julianDayNumber(1500, 2, 29).has_value());
    EXPECT_FALSE(SitesConfigDates::julianDayNumber(1900, 2, 29).has_value());
    EXPECT_TRUE(SitesConfigDates::julianDayNumber(2000, 2, 29).has_value());
    EXPECT_FALSE(SitesConfigDates::julianDayNumber(2008, 4, 31).has_value());

    EXPECT_DOUBLE_EQ(*SitesConfigDates::midnight(2000, 1, 1), 2451544.5);
}

TEST(SitesConfigDates, EveryDateFormReadsTheSameDayAndTwoDigitYearsPivotAt81)
{
    for (const char* text : {"2008-03-01", "01-Mar-2008", "1-MAR-2008", "01-mar-2008", "2008.3.1",
                             "2008.03.01", "3/1/2008", "03/01/08", "20080301"}) {
        const auto date = SitesConfigDates::readDate(QString::fromLatin1(text));
        ASSERT_TRUE(date.has_value()) << text;
        EXPECT_EQ(date->year, 2008) << text;
        EXPECT_EQ(date->month, 3) << text;
        EXPECT_EQ(date->day, 1) << text;
    }
    // Two-digit years of the slash form pivot at 81.
    EXPECT_EQ(SitesConfigDates::readDate("12/31/80")->year, 2080);
    EXPECT_EQ(SitesConfigDates::readDate("12/31/81")->year, 1981);
    EXPECT_EQ(SitesConfigDates::readDate("1/2/5")->year, 2005);
    EXPECT_EQ(SitesConfigDates::readDate("1/2/0081")->year, 81);
}

TEST(SitesConfigDates, RejectsWhatIsNotADateOrTime)
{
    for (const char* text :
         {"", "present", "2008-02-30", "2008-13-01", "2008-3", "01-Mrz-2008", "01-03-2008",
          "2008/3/1", "2008031", "2008030a", "2008-03-01x", "2008..1", "x/1/2008"}) {
        EXPECT_FALSE(SitesConfigDates::readDate(QString::fromLatin1(text)).has_value()) << text;
    }
    for (const char* text : {"2008-03-01+24:00:00", "2008-03-01+06:60:00", "2008-03-01+06",
                             "2008-03-01+", "2008-03-01+06:00:00:00", "2008-03-01+6h"}) {
        EXPECT_FALSE(SitesConfigDates::rangeBegin(QString::fromLatin1(text)).has_value()) << text;
        EXPECT_FALSE(SitesConfigDates::rangeEnd(QString::fromLatin1(text)).has_value()) << text;
    }
}

TEST(SitesConfigDates, RangeLimitsDefaultToTheStartAndNearEndOfTheDayPresentIsOpen)
{
    const double day = midnightOf(QDate(2008, 3, 1));
    EXPECT_DOUBLE_EQ(*SitesConfigDates::rangeBegin("2008-03-01"), day);
    EXPECT_DOUBLE_EQ(*SitesConfigDates::rangeBegin("2008-03-01+06:00:00"), day + 0.25);
    // An end without a time stops at 23:59:50, not at 23:59:59.
    EXPECT_NEAR(*SitesConfigDates::rangeEnd("2008-03-01"), day + 86390.0 / 86400.0,
                secondTolerance);
    EXPECT_NEAR(*SitesConfigDates::rangeEnd("2008-03-01+12:30:15"),
                day + (12 * 3600 + 30 * 60 + 15) / 86400.0, secondTolerance);
    // "present", whatever its letter case, is an open end, never a beginning.
    EXPECT_EQ(*SitesConfigDates::rangeEnd("present"), 1e8);
    EXPECT_EQ(*SitesConfigDates::rangeEnd("PRESENT"), 1e8);
    EXPECT_EQ(*SitesConfigDates::rangeEnd("Present"), SitesConfigDates::openEnd);
    EXPECT_FALSE(SitesConfigDates::rangeBegin("present").has_value());
}

TEST(SitesConfigDates, DetectionTimes)
{
    const double day = midnightOf(QDate(2008, 3, 1));
    EXPECT_DOUBLE_EQ(*SitesConfigDates::detectionTime("2008-03-01 06:00:00"), day + 0.25);
    EXPECT_DOUBLE_EQ(*SitesConfigDates::detectionTime("20080301"), day);
    EXPECT_NEAR(*SitesConfigDates::detectionTime("2008-03-01 23:59:59"), day + 86399.0 / 86400.0,
                secondTolerance);
    EXPECT_FALSE(SitesConfigDates::detectionTime("2008-03-01T06:00:00").has_value());
    EXPECT_FALSE(SitesConfigDates::detectionTime("2008-03-01 06:00:00 x").has_value());
    EXPECT_FALSE(SitesConfigDates::detectionTime("").has_value());

    const QDateTime time(QDate(2008, 3, 1), QTime(18, 0, 0));
    EXPECT_DOUBLE_EQ(*SitesConfigDates::detectionTime(time), day + 0.75);
    EXPECT_FALSE(SitesConfigDates::detectionTime(QDateTime()).has_value());
}
