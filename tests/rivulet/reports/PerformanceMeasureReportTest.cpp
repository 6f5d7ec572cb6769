// The performance measure report and its CSV form: survivals and age compositions computed by
// hand, and the layout against an approved copy.
#include "ReportFixture.h"

#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/reports/PerformanceMeasureCsv.h"
#include "rivulet/reports/PerformanceMeasureReport.h"

#include <gtest/gtest.h>

namespace rivulet::test {
namespace {

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

// One release, four sites, two years: 0.5 of the fish pass site 1 in the release year and 0.3
// a year later, every later reach 0.5.
void setUpHoldOver(ReportModel& model)
{
    model.setPhi(0, 1, 0, 0, 0.5);
    model.setPhi(0, 1, 0, 1, 0.3);
    model.addFirstDetections(0, 1, 0, 40);
    model.addFirstDetections(0, 1, 1, 20);
}

TEST(PerformanceMeasureReport, SurvivalsAndAgeCompositionComputedByHand)
{
    ReportModel model(4, 2, {{0, 0}});
    setUpHoldOver(model);
    const QString text = render(model, &model.fit({1, 1}, true));
    // To site 1: 0.5 + 0.3 = 0.8, of which 0.5 / 0.8 = 0.625 in 2008 and 0.375 in 2009; to the
    // last detection site: 0.5 * 0.5 in 2008 and 0.5 * 0.5 + 0.3 * 0.5 in 2009, 0.65 in all.
    EXPECT_TRUE(text.contains("\nOverall cohort survival: 0.6500 (0.0")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nS0 Sub-Yearlings (2008) | 0.8000 (0.0")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nSub-Yearlings (2008) | 0.6250 (0.")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nYearlings (2009) | 0.3750 (0.")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nS0 Sub-Yearlings (2008),0.8,")) << text.toStdString();

    // Nobody reaches site 1: no age composition, and the survival of 0 still has its standard
    // error, sqrt(0.0004 + 0.0004).
    model.setPhi(0, 1, 0, 0, 0.0);
    model.setPhi(0, 1, 0, 1, 0.0);
    const QString none = render(model, &model.fit({1, 1}, true));
    EXPECT_TRUE(none.contains("\nSub-Yearlings (2008) | NA (NA) | NA (NA)")) << none.toStdString();
    EXPECT_TRUE(none.contains("\nSub-Yearlings (2008),NA,NA,NA,NA")) << none.toStdString();
    EXPECT_TRUE(none.contains("\nS0 Sub-Yearlings (2008) | 0.0000 (0.0283)")) << none.toStdString();
    EXPECT_FALSE(hasNonFinite(none));
}

// A release site passed unseen is reached for certain: its survival is fixed, not an estimate
// with a standard error of 0.
TEST(PerformanceMeasureReport, SurvivalToASitePassedUnseenReadsAsFixed)
{
    ReportModel model(4, 1, {{0, 0}});
    model.structure->fix(model.structure->phiIndex(0, 1, 0, 0), 1.0);
    model.resetVector();
    const QString text = render(model, &model.fit({1, 1}, true));
    EXPECT_TRUE(text.contains("| 1.0000 (fixed) | 0.5000 (0.0200)")) << text.toStdString();
    EXPECT_TRUE(text.contains(",fixed")) << text.toStdString();
}

// Two releases of one site, fish that change year only above site 2: the down-river table
// below residualization, the star of a release not joined with the first, and the CSV.
TEST(PerformanceMeasureReport, MatchesTheApprovedOutput)
{
    ReportModel model(5, 2, {{0, 0}, {0, 1}});
    auto& structure = *model.structure;
    for (int r = 0; r < 2; ++r) {
        structure.fix(structure.lambdaIndex(r, 0, 1), 0.0);
        structure.fix(structure.phiIndex(r, 3, 0, 1), 0.0);
    }
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

TEST(PerformanceMeasureReport, WithoutCovarianceEveryStandardErrorIsNA)
{
    ReportModel model(5, 1, {{0, 0}});
    model.addFirstDetections(0, 1, 0, 10);
    const QString text = render(model, &model.fit({1, 1}, false));
    EXPECT_TRUE(text.contains("Overall cohort survival: 0.1250 (NA)")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nS0 Sub-Yearlings (2008),0.5,NA,0.25,NA,0.125,NA\n"));
    EXPECT_TRUE(text.contains("\nS0 Sub-Yearlings (2008),2008,0.25,NA\n"));
    EXPECT_FALSE(text.contains(QRegularExpression("\\((?!NA\\)|\\d{4}\\))"))) << text.toStdString();
    EXPECT_FALSE(hasNonFinite(text));
}

TEST(PerformanceMeasureReport, NothingWithoutModelOrReleases)
{
    ReportModel empty(4, 1, {});
    EXPECT_EQ(render(empty, &empty.fit({1, 1}, true)).trimmed(), "--- CSV");
    ReportModel study(4, 2, {{0, 0}});
    setUpHoldOver(study);
    study.fit({1, 1}, true);
    EXPECT_EQ(render(study, nullptr).trimmed(), "--- CSV");
}

} // namespace
} // namespace rivulet::test
