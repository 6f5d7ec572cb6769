// The parameter and performance measure reports and their CSV forms against approved copies;
// what they show where a measure is undefined, and without a model or releases.
#include "ReportFixture.h"

#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/reports/ModelReport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace rivulet::test {
namespace {

using Kind = ModelDocuments::Kind;
using Fitted = ReportModel::Fitted;

// The report's rich text as a reader sees it, then its CSV form.
QString reportAndCsv(Kind kind, const ReportModel& model, const Fitted* fitted,
                     int estimatePrecision = 4, int errorPrecision = 3)
{
    ModelReport report(kind, model.releases, model.sites, model.years, model.summary);
    if (fitted)
        report.setModel(fitted->description, fitted->result);
    report.setPrecisions(estimatePrecision, errorPrecision);
    report.run();
    return readerText(report.html()) + "\n--- CSV\n" + report.csvText();
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
    const Fitted fitted = model.fit({1, 2}, true);
    expectApproved("capture.txt", reportAndCsv(Kind::Capture, model, &fitted));
}

// A first release (its first reach leaves the release site in the release year only) and one
// at the last but one site; without a covariance matrix every standard error is NA.
TEST(PhiReport, MatchesTheApprovedOutput)
{
    ReportModel model(5, 2, {{0, 0}, {3, 1}});
    model.setPhi(0, 1, 0, 1, 0.3);
    model.setPhi(0, 3, 1, 1, 0.875);
    const Fitted fitted = model.fit({4, 4}, false, -10.5, 33);
    expectApproved("phi.txt", withoutModelLines(reportAndCsv(Kind::Survival, model, &fitted)));
}

QString render(ReportModel& model, const Fitted* fitted)
{
    model.summary.update();
    return reportAndCsv(Kind::Performance, model, fitted, 4, 4);
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
    const Fitted fitted = model.fit({1, 1}, true);
    const QString none = render(model, &fitted);
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
    const Fitted fitted = model.fit({1, 3}, true, -50.25, 110.5);
    ASSERT_EQ(fitted.result->parameters->residualizationSite(), 2);
    expectApproved("performance.txt", withoutModelLines(render(model, &fitted)));
}

// The estimates and standard errors of a report, in the order a reader meets them: the
// "estimate (s.e.)" cells of the rich text, or the fields of the CSV tables (every number
// after the first release that is a probability, so neither a year nor a count).
std::vector<double> richNumbers(const QString& text)
{
    std::vector<double> numbers;
    static const QRegularExpression pair(QStringLiteral("(\\d+\\.\\d+) \\((\\d+\\.\\d+)\\)"));
    for (auto it = pair.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        numbers.push_back(match.captured(1).toDouble());
        numbers.push_back(match.captured(2).toDouble());
    }
    return numbers;
}

std::vector<double> csvNumbers(const QString& text)
{
    std::vector<double> numbers;
    const int tables = text.indexOf(QStringLiteral("\nRelease:,"));
    for (const QString& line : text.mid(tables).split('\n')) {
        for (const QString& field : line.split(',')) {
            bool ok = false;
            const double value = field.toDouble(&ok);
            if (ok && value >= 0.0 && value <= 1.0)
                numbers.push_back(value);
        }
    }
    return numbers;
}

// One document, two renderers: the rich text and the CSV form of a report carry the same
// numbers in the same order.
TEST(Reports, RichTextAndCsvCarryTheSameNumbers)
{
    ReportModel model(5, 2, {{0, 0}, {1, 1}});
    model.setPhi(0, 1, 0, 1, 0.3, 0.0016);
    model.setPhi(0, 3, 1, 1, 0.875, 0.0025);
    model.setPhi(1, 2, 1, 1, 0.4375, 0.0001);
    model.setCapture(0, 2, 0, 0.61, 0.0009);
    model.setCapture(1, 3, 1, 0.125);
    const Fitted fitted = model.fit({4, 4}, true);
    for (const Kind kind : {Kind::Survival, Kind::Capture}) {
        ModelReport report(kind, model.releases, model.sites, model.years, model.summary);
        report.setModel(fitted.description, fitted.result);
        report.setPrecisions(8, 8);
        report.run();
        const std::vector<double> rich = richNumbers(readerText(report.html()));
        const std::vector<double> csv = csvNumbers(report.csvText());
        ASSERT_EQ(rich.size(), csv.size()) << report.csvText().toStdString();
        EXPECT_GT(rich.size(), 8u);
        for (std::size_t i = 0; i < rich.size(); ++i)
            EXPECT_NEAR(rich[i], csv[i], 5e-6 * std::max(1.0, rich[i])) << i;
    }
}

// A capture at a site without a detector is fixed at 0 by the data: it reads "(fixed)", not as
// an estimate with a standard error of 0.
TEST(Reports, AFixedValueIsMarkedFixed)
{
    ReportModel model(4, 1, {{0, 0}});
    model.structure->fix(model.structure->captureIndex(0, 1, 0), 0.0);
    model.resetVector();
    model.setCapture(0, 2, 0, 0.5);
    const Fitted fitted = model.fit({1, 1}, true);
    const QString text = reportAndCsv(Kind::Capture, model, &fitted);
    EXPECT_TRUE(text.contains("\n2008 | 0.0000 (fixed) | 0.5000 (0.020)")) << text.toStdString();
    EXPECT_TRUE(text.contains("\n2008,0,fixed,0.5,0.02")) << text.toStdString();
}

TEST(Reports, WithoutAModelOrReleasesTheDocumentsAreEmpty)
{
    ReportModel model(4, 2, {{0, 0}});
    EXPECT_EQ(reportAndCsv(Kind::Capture, model, nullptr).trimmed(), "--- CSV");
    EXPECT_EQ(reportAndCsv(Kind::Survival, model, nullptr).trimmed(), "--- CSV");
    EXPECT_EQ(render(model, nullptr).trimmed(), "--- CSV");
    ReportModel empty(4, 1, {});
    const Fitted fitted = empty.fit({1, 1}, true);
    EXPECT_EQ(render(empty, &fitted).trimmed(), "--- CSV");
}

} // namespace
} // namespace rivulet::test
