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

TEST_F(YearsControllerTest, FindsOrCreatesTheCalendarYearOfADateTime)
{
    YearsController years(rdb);
    const int id = years.yearId("2012-04-23 14:05:00");
    ASSERT_GT(id, 0);
    EXPECT_EQ(years.yearId("2012-12-31 23:59:59"), id);
    EXPECT_EQ(years.calendarYearId(2012), id);
    EXPECT_EQ(intAt("select count(*) from years"), 1);

    const lum::TableData row(db(),
                             "select year, begin_date, end_date, sequence, active_sequence "
                             "from years where id = ?",
                             {id});
    EXPECT_EQ(row.intValue(0, 0), 2012);
    EXPECT_EQ(row.stringValue(0, 1), "2012-01-01 00:00:00");
    EXPECT_EQ(row.stringValue(0, 2), "2012-12-31 23:59:59");
    EXPECT_EQ(row.intValue(0, 3), -1);
    EXPECT_EQ(row.intValue(0, 4), -1);
    EXPECT_EQ(years.yearId("no year"), -1);
}

TEST_F(YearsControllerTest, OrdersYearsChronologicallyAndListsTheActiveOnes)
{
    YearsController years(rdb);
    years.refresh();
    EXPECT_EQ(years.count(), 0);
    EXPECT_EQ(years.firstYear(), 3000);

    const int y2010 = years.calendarYearId(2010);
    const int y2008 = years.calendarYearId(2008);
    const int y2009 = years.calendarYearId(2009);
    years.refresh();
    EXPECT_EQ(years.count(), 0) << "unordered years are not active";

    ASSERT_EQ(years.orderYears(), 0);
    years.refresh();
    EXPECT_EQ(years.ids(), QList<int>({y2008, y2009, y2010}));
    EXPECT_EQ(years.years(), QList<int>({2008, 2009, 2010}));
    EXPECT_EQ(years.yearLabels(), QStringList({"2008", "2009", "2010"}));
    EXPECT_EQ(years.firstYear(), 2008);
    EXPECT_EQ(years.allIds(), years.ids());
    EXPECT_EQ(years.allYears(), years.years());
    EXPECT_EQ(years.indexOf(y2010), 2);
    EXPECT_EQ(years.indexOf(12345), -1);
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
