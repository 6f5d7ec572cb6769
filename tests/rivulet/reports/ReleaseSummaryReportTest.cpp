#include "ReportFixture.h"

#include "rivulet/reports/ReleaseSummaryReport.h"

#include <gtest/gtest.h>

namespace rivulet::test {
namespace {

QString summaryOf(const ReportModel& model)
{
    ReleaseSummaryReport report(model.releases, model.sites, model.years, model.counts);
    report.run();
    return readerText(report.html());
}

// Every fish of a release counts once, seen or not.
TEST(ReleaseSummaryReport, MatchesTheApprovedOutput)
{
    EXPECT_EQ(summaryOf(ReportModel(4, 1, {})), "No data loaded\n");
    ReportModel model(4, 2, {{0, 0}, {1, 0}, {0, 1}});
    model.addFirstDetections(0, 1, 0, 100);
    model.addFirstDetections(0, 2, 0, 50);
    model.addFirstDetections(0, 3, 1, 30);
    model.setNeverSeen(0, 70);
    model.addFirstDetections(1, 2, 0, 12);
    model.setNeverSeen(2, 9);
    expectApproved("releases.txt", summaryOf(model));
}

} // namespace
} // namespace rivulet::test
