// The parameter and performance measure reports and their CSV forms against approved copies;
// what they show where a measure is undefined, and without a model or releases.
#include "ReportFixture.h"

#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/reports/CaptureParameterCsv.h"
#include "rivulet/reports/CaptureParameterReport.h"
#include "rivulet/reports/PerformanceMeasureCsv.h"
#include "rivulet/reports/PerformanceMeasureReport.h"
#include "rivulet/reports/PhiParameterCsv.h"
#include "rivulet/reports/PhiParameterReport.h"

#include <gtest/gtest.h>

namespace rivulet::test {
namespace {

template <typename Report, typename Csv>
QString reportAndCsv(const ReportModel& model, const ModelEstimateItem* item)
{
    Report report(model.releases, model.sites, model.years, 4, 3);
    report.setModelItem(item);
    report.run();
    return readerText(report.html()) + "\n--- CSV\n" +
           csvOf(Csv(model.releases, model.sites, model.years, item));
}

// Releases at the first site and at the last but one (a year later, so it has only label
// columns); site names that CSV must quote.
TEST(CaptureReport, MatchesTheApprovedOutput)
{
    ReportModel model(4, 2, {{0, 0}, {2, 1}});
    model.sites.setSites({"S0", "Lower, Dam", "The \"Bar\"", "S3"},
                         {"S0", "Lower, Dam", "The \"Bar\"", "S3"});
    model.setCapture(0, 1, 0, 0.61, 0.0009);
    model.setCapture(0, 2, 1, 0.125);
    const auto& item = model.fit({1, 2}, true);
    expectApproved("capture.txt",
                   reportAndCsv<CaptureParameterReport, CaptureParameterCsv>(model, &item));
}

// A first release (its first reach leaves the release site in the release year only) and one
// at the last but one site; without a covariance matrix every standard error is NA.
TEST(PhiReport, MatchesTheApprovedOutput)
{
    ReportModel model(5, 2, {{0, 0}, {3, 1}});
    model.setPhi(0, 1, 0, 1, 0.3);
    model.setPhi(0, 3, 1, 1, 0.875);
    const auto& item = model.fit({4, 4}, false, -10.5, 33);
    expectApproved("phi.txt", withoutModelLines(
                                  reportAndCsv<PhiParameterReport, PhiParameterCsv>(model, &item)));
}

QString render(ReportModel& model, const ModelEstimateItem* item)
{
    model.summary.update();
    const ModelCatalogue catalogue(model.releases, model.sites, model.years, model.summary);
    PerformanceMeasureReport report(model.releases, model.sites, model.years, catalogue,
                                    model.summary, 4, 4);
    report.setModelItem(item);
    report.run();
    return readerText(report.html()) + "\n--- CSV\n" +
           csvOf(PerformanceMeasureCsv(model.releases, model.sites, model.years, catalogue,
                                       model.summary, item));
}

// One release, four sites, two years, and nobody reaches site 1: no age composition, and the
// survival of 0 still has its standard error, sqrt(0.0004 + 0.0004).
TEST(PerformanceMeasureReport, NobodyReachingASiteLeavesItsAgeCompositionNA)
{
    ReportModel model(4, 2, {{0, 0}});
    model.setPhi(0, 1, 0, 0, 0.0);
    model.setPhi(0, 1, 0, 1, 0.0);
    model.addFirstDetections(0, 1, 0, 40);
    model.addFirstDetections(0, 1, 1, 20);
    const QString none = render(model, &model.fit({1, 1}, true));
    EXPECT_TRUE(none.contains("\nSub-Yearlings (2008) | NA (NA) | NA (NA)")) << none.toStdString();
    EXPECT_TRUE(none.contains("\nSub-Yearlings (2008),NA,NA,NA,NA")) << none.toStdString();
    EXPECT_TRUE(none.contains("\nS0 Sub-Yearlings (2008) | 0.0000 (0.0283)")) << none.toStdString();
    EXPECT_FALSE(none.contains(
        QRegularExpression("\\b(nan|inf)", QRegularExpression::CaseInsensitiveOption)));
}

// Two releases of one site, fish that change year only above site 2: the down-river table
// below residualization, the star of a release not joined with the first, a survival fixed by
// the data (not an estimate with a standard error of 0), and the CSV.
TEST(PerformanceMeasureReport, MatchesTheApprovedOutput)
{
    ReportModel model(5, 2, {{0, 0}, {0, 1}});
    auto& structure = *model.structure;
    for (int r = 0; r < 2; ++r) {
        structure.fix(structure.lambdaIndex(r, 0, 1), 0.0);
        structure.fix(structure.phiIndex(r, 3, 0, 1), 0.0);
    }
    structure.fix(structure.phiIndex(1, 1, 1, 1), 1.0);
    model.resetVector();
    model.setPhi(0, 3, 0, 0, 0.9);
    model.setPhi(0, 3, 1, 1, 0.6);
    model.setPhi(1, 3, 1, 1, 0.7, 0.0009);
    model.addFirstDetections(0, 1, 0, 30);
    model.addFirstDetections(0, 1, 1, 5);
    model.addFirstDetections(1, 1, 1, 25);
    const auto& item = model.fit({1, 3}, true, -50.25, 110.5);
    ASSERT_EQ(item.result()->parameters->residualizationSite(), 2);
    expectApproved("performance.txt", withoutModelLines(render(model, &item)));
}

TEST(Reports, WithoutAModelOrReleasesTheDocumentsAreEmpty)
{
    ReportModel model(4, 2, {{0, 0}});
    EXPECT_EQ((reportAndCsv<CaptureParameterReport, CaptureParameterCsv>(model, nullptr).trimmed()),
              "--- CSV");
    EXPECT_EQ((reportAndCsv<PhiParameterReport, PhiParameterCsv>(model, nullptr).trimmed()),
              "--- CSV");
    EXPECT_EQ(render(model, nullptr).trimmed(), "--- CSV");
    ReportModel empty(4, 1, {});
    EXPECT_EQ(render(empty, &empty.fit({1, 1}, true)).trimmed(), "--- CSV");
}

} // namespace
} // namespace rivulet::test
