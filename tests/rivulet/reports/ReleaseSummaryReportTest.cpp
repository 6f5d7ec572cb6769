#include "HtmlTables.h"
#include "ReportFixture.h"

#include "rivulet/reports/ReleaseSummaryReport.h"

#include <gtest/gtest.h>

using rivulet::ReleaseSummaryReport;
using rivulet::test::HtmlTables;
using rivulet::test::ReportModel;

namespace {

QString summaryOf(const ReportModel& model)
{
    ReleaseSummaryReport report(model.releases, model.sites, model.years, model.counts);
    report.run();
    return report.html();
}

} // namespace

TEST(ReleaseSummaryReport, NoReleaseSaysNoDataLoaded)
{
    const ReportModel model(4, 1, {});
    const HtmlTables html(summaryOf(model));
    EXPECT_EQ(html.plainText().trimmed(), "No data loaded");
    EXPECT_EQ(html.count(), 0);
}

TEST(ReleaseSummaryReport, CountsEveryFishOnceSeenOrNot)
{
    ReportModel model(4, 2, {{0, 0}});
    model.addFirstDetections(0, 1, 0, 100);
    model.addFirstDetections(0, 2, 0, 50);
    model.addFirstDetections(0, 3, 1, 30);
    model.setNeverSeen(0, 70);
    const HtmlTables html(summaryOf(model));

    EXPECT_TRUE(html.plainText().contains("Releases:"));
    ASSERT_EQ(html.count(), 1);
    QTextTable* table = html.table(0);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 4);
    EXPECT_EQ(HtmlTables::cellText(table, 1, 0), "S0 2008");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 1), "S0");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 2), "2008");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 3), "250");
}

TEST(ReleaseSummaryReport, OneRowPerReleaseUnderAShadedHeader)
{
    ReportModel model(4, 2, {{0, 0}, {1, 0}, {0, 1}});
    model.addFirstDetections(1, 2, 0, 12);
    model.setNeverSeen(2, 9);
    const HtmlTables html(summaryOf(model));

    ASSERT_EQ(html.count(), 1);
    QTextTable* table = html.table(0);
    ASSERT_EQ(table->rows(), 4);
    const QStringList header = {"Release", "Site", "Year", "Count"};
    const QColor shade(245, 250, 255);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(HtmlTables::cellText(table, 0, c), header.at(c));
        EXPECT_EQ(HtmlTables::cellBlock(table, 0, c).background().color(), shade);
        EXPECT_NE(HtmlTables::cellBlock(table, 1, c).background().color(), shade);
    }
    EXPECT_EQ(HtmlTables::cellText(table, 1, 0), "S0 2008");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 0), "S1 2008");
    EXPECT_EQ(HtmlTables::cellText(table, 3, 0), "S0 2009");
    EXPECT_EQ(HtmlTables::cellText(table, 3, 2), "2009");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 3), "0");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 3), "12");
    EXPECT_EQ(HtmlTables::cellText(table, 3, 3), "9");
}
