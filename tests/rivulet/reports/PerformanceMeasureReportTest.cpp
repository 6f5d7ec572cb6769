#include "HtmlTables.h"
#include "ReportFixture.h"

#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/PMSurvivalToSite.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/reports/PerformanceMeasureCsv.h"
#include "rivulet/reports/PerformanceMeasureReport.h"

#include <gtest/gtest.h>

#include <cmath>

using rivulet::ModelCatalogue;
using rivulet::ModelEstimateItem;
using rivulet::PerformanceMeasureCsv;
using rivulet::PerformanceMeasureReport;
using rivulet::PMSurvivalToSite;
using rivulet::test::csvLines;
using rivulet::test::csvOf;
using rivulet::test::hasNonFinite;
using rivulet::test::HtmlTables;
using rivulet::test::ReportModel;

namespace {

// The report and its CSV form for one model of a study.
struct Rendered
{
    QString html;
    QString csv;
};

Rendered render(ReportModel& model, const ModelEstimateItem* item)
{
    model.updateSummary();
    const ModelCatalogue catalogue(model.releases, model.sites, model.years, model.summary);
    PerformanceMeasureReport report(model.releases, model.sites, model.years, catalogue,
                                    model.summary, 4, 4);
    report.setModelItem(item);
    report.run();
    const PerformanceMeasureCsv csv(model.releases, model.sites, model.years, catalogue,
                                    model.summary, item);
    return {report.html(), csvOf(csv)};
}

QString fixed4(double value)
{
    return QString::number(value, 'f', 4);
}

// The survival of the fitted model, computed apart from the report.
double survivalVariance(const ModelEstimateItem& item, const ReportModel& model, int r, int s)
{
    const PMSurvivalToSite survival(model.releases, model.sites, model.years,
                                    *item.result()->parameters, *item.result()->covariances);
    return survival.survivalVariance(r, s);
}

// One release, four sites, two years, with the hold-over split of the age composition
// example: 0.5 of the fish pass site 1 in the release year and 0.3 a year later.
// The study has four sites, two years and one release.
void setUpHoldOver(ReportModel& model)
{
    model.setPhi(0, 1, 0, 0, 0.5);
    model.setPhi(0, 1, 0, 1, 0.3);
    model.setPhi(0, 2, 0, 0, 0.5);
    model.setPhi(0, 2, 0, 1, 0.5);
    model.setPhi(0, 2, 1, 1, 0.5);
    model.addFirstDetections(0, 1, 0, 40);
    model.addFirstDetections(0, 1, 1, 20);
}

} // namespace

TEST(PerformanceMeasureReport, OverallCohortSurvivalOfTheFirstRelease)
{
    ReportModel model(4, 2, {{0, 0}});
    setUpHoldOver(model);
    const auto& item = model.fit({1, 1}, true);
    const HtmlTables html(render(model, &item).html);
    const QString text = html.plainText();

    EXPECT_TRUE(text.contains("Performance Measures\n"));
    EXPECT_TRUE(text.contains("Overall Cohort Survival\nThe overall cohort survival is the "
                              "probability of an individual from the 2008 release group reaching "
                              "the detection site furthest down-river.\n"));
    // P(0,2) = 0.5 * 0.5 (in 2008) + 0.5 * 0.5 + 0.5 * 0.3 (in 2009) = 0.65.
    const double se = std::sqrt(survivalVariance(item, model, 0, 2));
    EXPECT_TRUE(text.contains("Overall cohort survival: 0.6500 (" + fixed4(se) + ")"))
        << text.toStdString();
    EXPECT_GT(se, 0.0);
}

TEST(PerformanceMeasureReport, CohortAndAgeTablesForOneRelease)
{
    ReportModel model(4, 2, {{0, 0}});
    setUpHoldOver(model);
    const auto& item = model.fit({1, 1}, true);
    const HtmlTables html(render(model, &item).html);

    ASSERT_EQ(html.count(), 2);
    QTextTable* cohort = html.table(0);
    EXPECT_EQ(cohort->rows(), 3);
    EXPECT_EQ(cohort->columns(), 3);
    EXPECT_EQ(HtmlTables::cellText(cohort, 1, 0), "Release");
    EXPECT_EQ(HtmlTables::cellText(cohort, 0, 1), "Site");
    EXPECT_EQ(cohort->cellAt(0, 1).columnSpan(), 2);
    EXPECT_EQ(HtmlTables::cellText(cohort, 1, 1), "S1");
    EXPECT_EQ(HtmlTables::cellText(cohort, 1, 2), "S2");
    EXPECT_EQ(HtmlTables::cellText(cohort, 2, 0), "S0 Sub-Yearlings (2008)");
    const QString se1 = fixed4(std::sqrt(survivalVariance(item, model, 0, 1)));
    EXPECT_EQ(HtmlTables::cellText(cohort, 2, 1), "0.8000 (" + se1 + ")");
    EXPECT_TRUE(HtmlTables::cellText(cohort, 2, 2).startsWith("0.6500 ("));
    EXPECT_EQ(HtmlTables::cellBlock(cohort, 2, 2).background().color(), QColor(Qt::yellow));
    EXPECT_EQ(HtmlTables::cellBlock(cohort, 1, 1).background().color(), QColor(245, 250, 255));

    QTextTable* ages = html.table(1);
    EXPECT_EQ(ages->rows(), 4);
    EXPECT_EQ(ages->columns(), 3);
    EXPECT_EQ(HtmlTables::cellText(ages, 1, 0), "Age");
    EXPECT_EQ(HtmlTables::cellText(ages, 2, 0), "Sub-Yearlings (2008)");
    EXPECT_EQ(HtmlTables::cellText(ages, 3, 0), "Yearlings (2009)");
    EXPECT_TRUE(HtmlTables::cellText(ages, 2, 1).startsWith("0.6250 ("));
    EXPECT_TRUE(HtmlTables::cellText(ages, 3, 1).startsWith("0.3750 ("));
    EXPECT_FALSE(HtmlTables::cellText(ages, 2, 1).contains("NA"));

    const QString text = html.plainText();
    EXPECT_TRUE(text.contains("* Release did not contribute to overall cohort survival."));
    EXPECT_TRUE(text.contains("Age Composition of migrants by Site"));
    // A free hold-over into the final site: fish may change year anywhere, so there is no
    // stretch below residualization.
    EXPECT_FALSE(text.contains("Down-River"));
}

TEST(PerformanceMeasureReport, StarMarksReleasesNotJoinedWithTheFirst)
{
    ReportModel model(4, 2, {{0, 0}, {1, 0}, {0, 1}});
    model.addFirstDetections(0, 1, 0, 10);
    const auto& bySite = model.fit({1, 2}, true);
    const HtmlTables sameSite(render(model, &bySite).html);
    QTextTable* table = sameSite.table(0);
    ASSERT_EQ(table->rows(), 5);
    EXPECT_EQ(HtmlTables::cellText(table, 2, 0), "S0 Sub-Yearlings (2008)");
    EXPECT_EQ(HtmlTables::cellText(table, 3, 0), "S1 Sub-Yearlings (2008)*");
    EXPECT_EQ(HtmlTables::cellText(table, 4, 0), "S0 Yearlings (2009)");

    const auto& byYear = model.fit({1, 3}, true);
    const HtmlTables sameYear(render(model, &byYear).html);
    EXPECT_EQ(HtmlTables::cellText(sameYear.table(0), 3, 0), "S1 Sub-Yearlings (2008)");
    EXPECT_EQ(HtmlTables::cellText(sameYear.table(0), 4, 0), "S0 Yearlings (2009)*");

    const auto& unique = model.fit({1, 4}, true);
    const HtmlTables eachOwn(render(model, &unique).html);
    EXPECT_EQ(HtmlTables::cellText(eachOwn.table(0), 3, 0), "S1 Sub-Yearlings (2008)*");
    EXPECT_EQ(HtmlTables::cellText(eachOwn.table(0), 4, 0), "S0 Yearlings (2009)*");

    const auto& all = model.fit({1, 1}, true);
    const HtmlTables joined(render(model, &all).html);
    EXPECT_FALSE(joined.plainText().contains(")*"));
}

TEST(PerformanceMeasureReport, LaterReleaseSiteLeavesItsUpstreamColumnsEmpty)
{
    ReportModel model(5, 1, {{0, 0}, {1, 0}});
    model.setPhi(1, 2, 0, 0, 0.8);
    model.setPhi(1, 3, 0, 0, 0.5);
    model.addFirstDetections(0, 1, 0, 10);
    const auto& item = model.fit({4, 4}, true);
    const Rendered rendered = render(model, &item);
    const HtmlTables html(rendered.html);

    QTextTable* cohort = html.table(0);
    ASSERT_EQ(cohort->columns(), 4);
    EXPECT_EQ(HtmlTables::cellText(cohort, 3, 1), "");
    EXPECT_TRUE(HtmlTables::cellText(cohort, 3, 2).startsWith("0.8000 ("));
    EXPECT_TRUE(HtmlTables::cellText(cohort, 3, 3).startsWith("0.4000 ("));

    const QStringList lines = csvLines(rendered.csv);
    const int start = lines.indexOf("Cohort survival by site location");
    ASSERT_GE(start, 0);
    EXPECT_EQ(lines.value(start + 1), ",S1,,S2,,S3");
    EXPECT_EQ(lines.value(start + 2), "Release,estimate,s.e.,estimate,s.e.,estimate,s.e.");
    const QStringList second = lines.value(start + 4).split(',');
    ASSERT_EQ(second.size(), 7);
    EXPECT_EQ(second.at(0), "S1 Sub-Yearlings (2008)");
    EXPECT_EQ(second.at(1), "");
    EXPECT_EQ(second.at(2), "");
    EXPECT_EQ(second.at(3), "0.8");
    EXPECT_EQ(second.at(5), "0.4");
}

TEST(PerformanceMeasureReport, ThreeSitesGiveTwoColumnTables)
{
    ReportModel model(3, 1, {{0, 0}});
    model.setPhi(0, 1, 0, 0, 0.7);
    model.addFirstDetections(0, 1, 0, 10);
    const auto& item = model.fit({1, 1}, true);
    const HtmlTables html(render(model, &item).html);

    ASSERT_EQ(html.count(), 2);
    EXPECT_EQ(html.table(0)->columns(), 2);
    EXPECT_EQ(html.table(1)->columns(), 2);
    EXPECT_EQ(html.table(0)->cellAt(0, 1).columnSpan(), 1);
    EXPECT_EQ(HtmlTables::cellText(html.table(0), 0, 1), "Site");
    EXPECT_TRUE(HtmlTables::cellText(html.table(0), 2, 1).startsWith("0.7000 ("));
    EXPECT_TRUE(HtmlTables::cellText(html.table(1), 2, 1).startsWith("1.0000 ("));
}

TEST(PerformanceMeasureReport, DownRiverSurvivalBelowResidualization)
{
    ReportModel model(5, 2, {{0, 0}, {0, 1}});
    // No fish change year below site 2 and none reach the final site a year late.
    auto& structure = *model.structure;
    for (int r = 0; r < 2; ++r) {
        structure.fix(structure.lambdaIndex(r, 0, 1), 0.0);
        structure.fix(structure.phiIndex(r, 3, 0, 1), 0.0);
    }
    model.resetVector();
    model.setPhi(0, 3, 0, 0, 0.9);
    model.setPhi(0, 3, 1, 1, 0.6);
    model.setPhi(1, 3, 1, 1, 0.7);
    model.setPhiVariance(1, 3, 1, 1, 0.0009);
    model.addFirstDetections(0, 1, 0, 30);
    model.addFirstDetections(0, 1, 1, 5);
    model.addFirstDetections(1, 1, 1, 25);
    const auto& item = model.fit({4, 4}, true);
    ASSERT_EQ(item.result()->parameters->residualizationSite(), 2);
    const Rendered rendered = render(model, &item);
    const HtmlTables html(rendered.html);

    const QString text = html.plainText();
    EXPECT_TRUE(text.contains("Down-River Survivals Below Residualization\nThe probability "
                              "that an individual alive at Site 1 in a given year survives and "
                              "migrates to the furthest\ndownstream site in the same year."));
    ASSERT_EQ(html.count(), 3);
    QTextTable* table = html.table(2);
    EXPECT_EQ(table->rows(), 4);
    EXPECT_EQ(table->columns(), 3);
    EXPECT_EQ(HtmlTables::cellText(table, 0, 0), "Release");
    EXPECT_EQ(HtmlTables::cellText(table, 0, 1), "Year at Site 1");
    EXPECT_EQ(HtmlTables::cellText(table, 0, 2), "Survival estimate to Site 3");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 0), "S0 Sub-Yearlings (2008)");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 1), "2008");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 2), "0.9000 (0.0200)");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 0), "");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 1), "2009");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 2), "0.6000 (0.0200)");
    EXPECT_EQ(HtmlTables::cellText(table, 3, 0), "S0 Yearlings (2009)");
    EXPECT_EQ(HtmlTables::cellText(table, 3, 2), "0.7000 (0.0300)");

    const QStringList lines = csvLines(rendered.csv);
    const int start = lines.indexOf("Down-River Survivals Below Residualization");
    ASSERT_GE(start, 1);
    EXPECT_EQ(lines.value(start - 1), "");
    const QStringList expected = {
        "Release,Year at Site 1,Survival to Site 3", ",,estimate,s.e",
        "S0 Sub-Yearlings (2008),2008,0.9,0.02",     ",2009,0.6,0.02",
        "S0 Yearlings (2009),2009,0.7,0.03",
    };
    EXPECT_EQ(lines.mid(start + 1), expected);
}

TEST(PerformanceMeasureReport, ReleaseWithoutQualifyingPathsAddsNoDownRiverRow)
{
    ReportModel model(4, 1, {{0, 0}, {1, 0}});
    model.addFirstDetections(0, 1, 0, 10);
    model.addFirstDetections(1, 2, 0, 10);
    const auto& item = model.fit({4, 4}, true);
    const HtmlTables html(render(model, &item).html);

    ASSERT_EQ(html.count(), 3);
    QTextTable* table = html.table(2);
    // Only the first release has a path into site 1.
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(HtmlTables::cellText(table, 1, 0), "S0 Sub-Yearlings (2008)");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 2), "0.5000 (0.0200)");
}

TEST(PerformanceMeasureReport, WithoutCovarianceEveryStandardErrorIsNA)
{
    ReportModel model(5, 1, {{0, 0}});
    model.addFirstDetections(0, 1, 0, 10);
    const auto& item = model.fit({1, 1}, false);
    const Rendered rendered = render(model, &item);
    const HtmlTables html(rendered.html);

    EXPECT_TRUE(html.plainText().contains("Overall cohort survival: 0.1250 (NA)"));
    for (int t = 0; t < html.count(); ++t) {
        QTextTable* table = html.table(t);
        for (int r = 0; r < table->rows(); ++r) {
            for (int c = 1; c < table->columns(); ++c) {
                const QString cell = HtmlTables::cellText(table, r, c);
                if (cell.contains('(')) {
                    EXPECT_TRUE(cell.endsWith(" (NA)")) << cell.toStdString();
                }
            }
        }
    }
    EXPECT_TRUE(html.plainText().contains("0.2500 (NA)"));
    EXPECT_FALSE(hasNonFinite(html.plainText()));

    const QStringList lines = csvLines(rendered.csv);
    const int start = lines.indexOf("Cohort survival by site location");
    ASSERT_GE(start, 0);
    EXPECT_EQ(lines.value(start + 3), "S0 Sub-Yearlings (2008),0.5,NA,0.25,NA,0.125,NA");
    EXPECT_TRUE(lines.contains(",,estimate,s.e"));
    EXPECT_TRUE(lines.contains("S0 Sub-Yearlings (2008),2008,0.25,NA"));
    EXPECT_FALSE(hasNonFinite(rendered.csv));
}

TEST(PerformanceMeasureReport, ZeroSurvivalShowsTheAgeCompositionAsNA)
{
    ReportModel model(4, 2, {{0, 0}});
    setUpHoldOver(model);
    model.setPhi(0, 1, 0, 0, 0.0);
    model.setPhi(0, 1, 0, 1, 0.0);
    const auto& item = model.fit({1, 1}, true);
    const Rendered rendered = render(model, &item);
    const HtmlTables html(rendered.html);

    QTextTable* ages = html.table(1);
    EXPECT_EQ(HtmlTables::cellText(ages, 2, 1), "NA (NA)");
    EXPECT_EQ(HtmlTables::cellText(ages, 3, 2), "NA (NA)");
    // The survival itself is 0 and still has a standard error: var = 2 * 0.0004.
    EXPECT_EQ(HtmlTables::cellText(html.table(0), 2, 1), "0.0000 (0.0283)");
    EXPECT_FALSE(hasNonFinite(html.plainText()));

    const QStringList lines = csvLines(rendered.csv);
    EXPECT_TRUE(lines.contains("Sub-Yearlings (2008),NA,NA,NA,NA"));
    EXPECT_FALSE(hasNonFinite(rendered.csv));
}

TEST(PerformanceMeasureCsv, SectionsInOrder)
{
    ReportModel model(4, 2, {{0, 0}});
    setUpHoldOver(model);
    const auto& item = model.fit({1, 1}, true, -50.25, 110.5);
    const QStringList lines = csvLines(render(model, &item).csv);

    const int header = lines.indexOf("Model:,M.test");
    ASSERT_EQ(lines.value(0), "Performance Measures");
    EXPECT_EQ(lines.value(1), "Releases");
    EXPECT_EQ(lines.value(2), "S0 2008");
    ASSERT_EQ(header, 4);
    EXPECT_EQ(lines.value(header + 5), "log-likelihood:,-50.25");
    EXPECT_EQ(lines.value(header + 6), "AIC:,110.5");
    EXPECT_EQ(lines.value(header + 7), "");
    const QStringList body = lines.mid(header + 8);
    ASSERT_EQ(body.size(), 10);
    EXPECT_EQ(body.at(0), "Cohort survival by site location");
    EXPECT_EQ(body.at(1), ",S1,,S2");
    EXPECT_EQ(body.at(2), "Release,estimate,s.e.,estimate,s.e.");
    EXPECT_TRUE(body.at(3).startsWith("S0 Sub-Yearlings (2008),0.8,"));
    EXPECT_EQ(body.at(4), "");
    EXPECT_EQ(body.at(5), "Age Composition of migrants by Site");
    EXPECT_EQ(body.at(6), ",S1,,S2");
    EXPECT_EQ(body.at(7), "Age,estimate,s.e.,estimate,s.e.");
    EXPECT_TRUE(body.at(8).startsWith("Sub-Yearlings (2008),0.625,"));
    EXPECT_TRUE(body.at(9).startsWith("Yearlings (2009),0.375,"));
    EXPECT_FALSE(lines.contains("Overall Cohort Survival"));
}

TEST(PerformanceMeasureReport, NothingWithoutModelOrReleases)
{
    ReportModel model(4, 1, {});
    const auto& item = model.fit({1, 1}, true);
    const Rendered rendered = render(model, &item);
    EXPECT_TRUE(rendered.csv.isEmpty());
    EXPECT_TRUE(HtmlTables(rendered.html).plainText().trimmed().isEmpty());

    ReportModel study(4, 2, {{0, 0}});
    setUpHoldOver(study);
    study.fit({1, 1}, true);
    const Rendered noItem = render(study, nullptr);
    EXPECT_TRUE(noItem.csv.isEmpty());
    EXPECT_TRUE(HtmlTables(noItem.html).plainText().trimmed().isEmpty());
}

// A release site passed unseen is reached for certain: its survival is fixed, not an estimate
// with a standard error of 0.
TEST(PerformanceMeasureReport, SurvivalToASitePassedUnseenReadsAsFixed)
{
    ReportModel model(4, 1, {{0, 0}});
    model.structure->fix(model.structure->phiIndex(0, 1, 0, 0), 1.0);
    model.resetVector();
    const auto& item = model.fit({1, 1}, true);
    const Rendered rendered = render(model, &item);
    const HtmlTables html(rendered.html);
    QTextTable* cohort = html.table(0);
    EXPECT_EQ(HtmlTables::cellText(cohort, 2, 1), "1.0000 (fixed)");
    EXPECT_EQ(HtmlTables::cellText(cohort, 2, 2), "0.5000 (0.0200)");
    EXPECT_TRUE(rendered.csv.contains(",fixed")) << rendered.csv.toStdString();
}
