#include "rivulet/data/YearsController.h"

#include "ControllerFixture.h"

#include <QDate>

namespace rivulet {
namespace {

using YearsControllerTest = test::ControllerFixture;

double julianMidnight(int year, int month, int day)
{
    return QDate(year, month, day).toJulianDay() - 0.5;
}

TEST_F(YearsControllerTest, CalendarYearsOfDateTimesAreOrderedChronologically)
{
    YearsController years(rdb);
    const int y2010 = years.yearId("2010-04-23 14:05:00");
    EXPECT_EQ(years.yearId("2010-12-31 23:59:59"), y2010);
    EXPECT_EQ(years.calendarYearId(2010), y2010);
    EXPECT_EQ(years.yearId("no year"), -1);
    const int y2008 = years.calendarYearId(2008);
    const int y2009 = years.calendarYearId(2009);
    const lum::TableData row(db(), "select begin_date, end_date from years where id = ?", {y2010});
    EXPECT_EQ(row.stringValue(0, 0), "2010-01-01 00:00:00");
    EXPECT_EQ(row.stringValue(0, 1), "2010-12-31 23:59:59");
    years.refresh();
    EXPECT_EQ(years.count(), 0) << "unordered years are not active";
    EXPECT_EQ(years.firstYear(), 3000);

    ASSERT_EQ(years.orderYears(), 0);
    years.refresh();
    EXPECT_EQ(years.ids(), QList<int>({y2008, y2009, y2010}));
    EXPECT_EQ(years.yearLabels(), QStringList({"2008", "2009", "2010"}));
    EXPECT_EQ(years.firstYear(), 2008);
    EXPECT_DOUBLE_EQ(years.beginDays().at(0), julianMidnight(2008, 1, 1));
    EXPECT_DOUBLE_EQ(years.endDays().at(0), julianMidnight(2009, 1, 1) - 1.0 / 86400);
}

TEST_F(YearsControllerTest, RemovingAYearMovesLaterYearsUpAndResetBringsAllBack)
{
    YearsController years(rdb);
    const int y2008 = years.calendarYearId(2008);
    const int y2009 = years.calendarYearId(2009);
    const int y2010 = years.calendarYearId(2010);
    years.orderYears();
    years.refresh();

    ASSERT_EQ(years.removeYear(y2008), 0);
    years.refresh();
    EXPECT_EQ(years.ids(), QList<int>({y2009, y2010}));
    EXPECT_EQ(years.firstYear(), 2009);
    EXPECT_EQ(years.indexOf(y2008), -1);
    EXPECT_EQ(years.allIds().size(), 3);
    EXPECT_EQ(intAt("select active_sequence from years where id = ?", {y2010}), 1);

    EXPECT_NE(years.removeYear(y2008), 0) << "an inactive year cannot be removed again";
    ASSERT_EQ(years.resetActive(), 0);
    years.refresh();
    EXPECT_EQ(years.ids(), QList<int>({y2008, y2009, y2010}));
}

} // namespace
} // namespace rivulet
