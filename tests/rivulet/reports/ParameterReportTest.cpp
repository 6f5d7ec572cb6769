// The parameter reports and their CSV forms against approved copies; what every report shows
// without a covariance matrix or without a model.
#include "ReportFixture.h"

#include "rivulet/reports/CaptureParameterCsv.h"
#include "rivulet/reports/CaptureParameterReport.h"
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

// A first release (its first reach leaves the release site in the release year only), a
// release further down, and one at the last but one site.
TEST(PhiReport, MatchesTheApprovedOutput)
{
    ReportModel model(5, 2, {{0, 0}, {1, 0}, {3, 1}});
    model.setPhi(0, 1, 0, 1, 0.3, 0.0016);
    model.setPhi(0, 3, 1, 1, 0.875);
    model.setPhi(1, 2, 0, 0, 0.71);
    model.setPhi(1, 3, 0, 0, 0.93);
    const auto& item = model.fit({4, 4}, true, -10.5, 33);
    expectApproved("phi.txt", withoutModelLines(
                                  reportAndCsv<PhiParameterReport, PhiParameterCsv>(model, &item)));
}

TEST(ParameterReports, WithoutCovarianceEveryStandardErrorIsNA)
{
    ReportModel model(4, 2, {{0, 0}});
    const auto& item = model.fit({1, 1}, false);
    for (const QString& text :
         {reportAndCsv<CaptureParameterReport, CaptureParameterCsv>(model, &item),
          reportAndCsv<PhiParameterReport, PhiParameterCsv>(model, &item)}) {
        EXPECT_TRUE(text.contains("0.5000 (NA)")) << text.toStdString();
        EXPECT_TRUE(text.contains("\n2008,0.5,NA,0.5,NA") || text.contains("\n2008,2008,0.5,NA"))
            << text.toStdString();
        EXPECT_FALSE(text.contains(QRegularExpression("\\((?!NA\\))"))) << text.toStdString();
        EXPECT_FALSE(hasNonFinite(text));
    }
}

TEST(ParameterReports, NoModelGivesEmptyDocuments)
{
    ReportModel model(4, 1, {{0, 0}});
    const auto capture = reportAndCsv<CaptureParameterReport, CaptureParameterCsv>;
    const auto phi = reportAndCsv<PhiParameterReport, PhiParameterCsv>;
    EXPECT_EQ(capture(model, nullptr).trimmed(), "--- CSV");
    EXPECT_EQ(phi(model, nullptr).trimmed(), "--- CSV");
}

} // namespace
} // namespace rivulet::test
