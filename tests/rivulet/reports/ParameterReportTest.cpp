#include "HtmlTables.h"
#include "ReportFixture.h"

#include "rivulet/reports/CaptureParameterCsv.h"
#include "rivulet/reports/CaptureParameterReport.h"
#include "rivulet/reports/PhiParameterCsv.h"
#include "rivulet/reports/PhiParameterReport.h"

#include <gtest/gtest.h>

using rivulet::CaptureParameterCsv;
using rivulet::CaptureParameterReport;
using rivulet::EquatingScheme;
using rivulet::PhiParameterCsv;
using rivulet::PhiParameterReport;
using rivulet::test::csvLines;
using rivulet::test::csvOf;
using rivulet::test::fields;
using rivulet::test::hasNonFinite;
using rivulet::test::HtmlTables;
using rivulet::test::ReportModel;

namespace {

template <typename Report>
QString htmlOf(const ReportModel& model, const rivulet::ModelEstimateItem* item,
               int estimatePrecision = 4, int errorPrecision = 4)
{
    Report report(model.releases, model.sites, model.years, estimatePrecision, errorPrecision);
    report.setModelItem(item);
    report.run();
    return report.html();
}

} // namespace

TEST(ModelHeader, ListsReleasesModelAndFigures)
{
    ReportModel model(4, 1, {{0, 0}, {1, 0}});
    const auto& item = model.fit({1, 2}, true, -123.4567891, 250.9135782);
    const HtmlTables html(htmlOf<CaptureParameterReport>(model, &item));
    const QStringList lines =
        html.plainText().split(QChar::ParagraphSeparator).join('\n').split('\n');

    const QStringList expected = {
        "Capture Parameter Estimates",
        "Releases: ",
        "   S0 2008",
        "   S1 2008",
        "Model: M.test",
        "Unique parameters for all reaches and detections sites. Parameters equated across "
        "release groups as follows: ",
        "Capture: test, Survival and movement: test.",
        "",
        "Num releases: 2",
        "Num sites: 4",
        "Num years: 1",
        "Num parameters: " + QString::number(item.result()->numParameters()),
        "Log-likelihood: -123.457",
        "AIC: 250.914",
        "Estimates",
        "Release: S0 2008",
    };
    // The document opens with empty blocks before the title.
    const int title = lines.indexOf("Capture Parameter Estimates");
    ASSERT_GE(title, 1);
    for (int i = 0; i < title; ++i)
        EXPECT_EQ(lines.at(i), "");
    EXPECT_EQ(lines.mid(title, expected.size()), expected);
}

TEST(ModelHeader, NoModelItemGivesAnEmptyDocument)
{
    ReportModel model(4, 1, {{0, 0}});
    const HtmlTables capture(htmlOf<CaptureParameterReport>(model, nullptr));
    EXPECT_TRUE(capture.plainText().trimmed().isEmpty());
    const HtmlTables phi(htmlOf<PhiParameterReport>(model, nullptr));
    EXPECT_TRUE(phi.plainText().trimmed().isEmpty());
    EXPECT_EQ(phi.count(), 0);
}

TEST(CaptureReport, TableHasAColumnPerDetectionSiteAndARowPerYear)
{
    ReportModel model(5, 2, {{0, 0}});
    model.setCapture(0, 1, 0, 0.61);
    model.setCaptureVariance(0, 1, 0, 0.0009);
    model.setCapture(0, 3, 1, 0.25);
    const auto& item = model.fit({1, 1}, true);
    const HtmlTables html(htmlOf<CaptureParameterReport>(model, &item, 3, 2));

    ASSERT_EQ(html.count(), 1);
    QTextTable* table = html.table(0);
    EXPECT_EQ(table->rows(), 3);
    EXPECT_EQ(table->columns(), 4);
    EXPECT_EQ(HtmlTables::cellText(table, 0, 0), "Downstream");
    EXPECT_EQ(HtmlTables::cellText(table, 0, 1), "S1");
    EXPECT_EQ(HtmlTables::cellText(table, 0, 3), "S3");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 0), "2008");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 0), "2009");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 1), "0.610 (0.03)");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 3), "0.250 (0.02)");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 2), "0.500 (0.02)");
}

TEST(CaptureReport, ReleaseAtTheLastButOneSiteHasOnlyItsLabelColumn)
{
    ReportModel model(4, 2, {{0, 0}, {2, 1}});
    const auto& item = model.fit({4, 4}, true);
    const HtmlTables html(htmlOf<CaptureParameterReport>(model, &item));

    ASSERT_EQ(html.count(), 2);
    QTextTable* table = html.table(1);
    EXPECT_EQ(table->columns(), 1);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(HtmlTables::cellText(table, 0, 0), "Downstream");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 0), "2009");

    const QStringList lines =
        csvLines(csvOf(CaptureParameterCsv(model.releases, model.sites, model.years, &item)));
    const int release = lines.indexOf("Release:,S2 2009");
    ASSERT_GE(release, 0);
    EXPECT_EQ(lines.value(release + 1), "Downstream");
    EXPECT_EQ(lines.value(release + 2), "");
    EXPECT_EQ(lines.value(release + 3), "2009");
}

TEST(CaptureReport, HeaderRowIsShaded)
{
    ReportModel model(4, 1, {{0, 0}});
    const auto& item = model.fit({1, 1}, true);
    CaptureParameterReport report(model.releases, model.sites, model.years, 4, 4);
    report.setModelItem(&item);
    report.run();
    const HtmlTables html(report.html());
    QTextTable* table = html.table(0);
    const QColor shade(245, 250, 255);
    for (int c = 0; c < table->columns(); ++c)
        EXPECT_EQ(HtmlTables::cellBlock(table, 0, c).background().color(), shade) << c;
    EXPECT_NE(HtmlTables::cellBlock(table, 1, 1).background().color(), shade);
}

TEST(CaptureCsv, WritesEstimatesAndStandardErrorsPerSite)
{
    ReportModel model(4, 2, {{0, 0}});
    model.setCapture(0, 1, 1, 0.125);
    const auto& item = model.fit({1, 1}, true, -10.5, 33);
    const QStringList lines =
        csvLines(csvOf(CaptureParameterCsv(model.releases, model.sites, model.years, &item)));

    const QStringList expected = {
        "Capture Parameter Estimates",
        "",
        "Releases",
        "S0 2008",
        "",
        "Model:,M.test",
        "# releases:,1",
        "# sites:,4",
        "# years:,2",
        "# parameters:," + QString::number(item.result()->numParameters()),
        "log-likelihood:,-10.5",
        "AIC:,33",
        "",
        "",
        "Release:,S0 2008",
        "Downstream,S1,,S2",
        ",estimate,s.e,estimate,s.e",
        "2008,0.5,0.02,0.5,0.02",
        "2009,0.125,0.02,0.5,0.02",
    };
    EXPECT_EQ(lines, expected);
}

TEST(CaptureCsv, SiteNamesWithCommasOrQuotesAreQuoted)
{
    ReportModel model(4, 2, {{0, 0}});
    model.sites.setSites({"S0", "Lower, Dam", "The \"Bar\"", "S3"},
                         {"S0", "Lower, Dam", "The \"Bar\"", "S3"});
    const auto& item = model.fit({1, 1}, true, -10.5, 33);
    const QStringList lines =
        csvLines(csvOf(CaptureParameterCsv(model.releases, model.sites, model.years, &item)));
    EXPECT_TRUE(lines.contains("Downstream,\"Lower, Dam\",,\"The \"\"Bar\"\"\""))
        << lines.join('\n').toStdString();
}

TEST(CaptureCsv, WithoutCovarianceEveryStandardErrorIsNA)
{
    ReportModel model(4, 2, {{0, 0}});
    const auto& item = model.fit({1, 1}, false);
    const QString csv = csvOf(CaptureParameterCsv(model.releases, model.sites, model.years, &item));
    const QStringList lines = csvLines(csv);
    EXPECT_EQ(lines.value(lines.size() - 2), "2008,0.5,NA,0.5,NA");
    EXPECT_EQ(lines.value(lines.size() - 1), "2009,0.5,NA,0.5,NA");
    EXPECT_FALSE(hasNonFinite(csv));

    const HtmlTables html(htmlOf<CaptureParameterReport>(model, &item));
    EXPECT_EQ(HtmlTables::cellText(html.table(0), 1, 1), "0.5000 (NA)");
    EXPECT_FALSE(hasNonFinite(html.plainText()));
}

TEST(PhiReport, FirstReleaseTableLabelsReachesFromRel)
{
    ReportModel model(5, 2, {{0, 0}});
    model.setPhi(0, 1, 0, 1, 0.3);
    model.setPhiVariance(0, 1, 0, 1, 0.0016);
    model.setPhi(0, 3, 1, 1, 0.875);
    const auto& item = model.fit({1, 1}, true);
    const HtmlTables html(htmlOf<PhiParameterReport>(model, &item));

    ASSERT_EQ(html.count(), 1);
    QTextTable* table = html.table(0);
    // m = 2 years: 3 year pairs and two header rows; label columns and reaches Rel-S1,
    // S1-S2, S2-S3 (the reach into the final site is not shown).
    EXPECT_EQ(table->rows(), 5);
    EXPECT_EQ(table->columns(), 5);
    EXPECT_EQ(HtmlTables::cellText(table, 0, 0), "Year");
    EXPECT_EQ(table->cellAt(0, 0).columnSpan(), 2);
    EXPECT_EQ(HtmlTables::cellText(table, 0, 2), "Reach");
    EXPECT_EQ(table->cellAt(0, 2).columnSpan(), 3);
    EXPECT_EQ(HtmlTables::cellText(table, 1, 0), "Upstream");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 1), "Downstream");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 2), "Rel-S1");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 3), "S1-S2");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 4), "S2-S3");

    const QStringList pairs[] = {{"2008", "2008"}, {"2008", "2009"}, {"2009", "2009"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(HtmlTables::cellText(table, 2 + i, 0), pairs[i].at(0));
        EXPECT_EQ(HtmlTables::cellText(table, 2 + i, 1), pairs[i].at(1));
    }
    EXPECT_EQ(HtmlTables::cellText(table, 3, 2), "0.3000 (0.0400)");
    // The first reach leaves the release site in the release year only.
    EXPECT_EQ(HtmlTables::cellText(table, 4, 2), "");
    EXPECT_EQ(HtmlTables::cellText(table, 4, 3), "0.5000 (0.0200)");
    EXPECT_EQ(HtmlTables::cellText(table, 4, 4), "0.8750 (0.0200)");
}

TEST(PhiReport, LaterReleaseSiteKeepsEachValueUnderItsOwnReach)
{
    ReportModel model(5, 1, {{0, 0}, {1, 0}});
    model.setPhi(1, 2, 0, 0, 0.71);
    model.setPhi(1, 3, 0, 0, 0.93);
    const auto& item = model.fit({4, 4}, true);
    const HtmlTables html(htmlOf<PhiParameterReport>(model, &item, 2, 2));

    ASSERT_EQ(html.count(), 2);
    QTextTable* table = html.table(1);
    EXPECT_EQ(table->rows(), 3);
    EXPECT_EQ(table->columns(), 4);
    EXPECT_EQ(HtmlTables::cellText(table, 1, 2), "S1-S2");
    EXPECT_EQ(HtmlTables::cellText(table, 1, 3), "S2-S3");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 2), "0.71 (0.02)");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 3), "0.93 (0.02)");

    const QStringList lines =
        csvLines(csvOf(PhiParameterCsv(model.releases, model.sites, model.years, &item)));
    const int release = lines.indexOf("Release:,S1 2008");
    ASSERT_GE(release, 0);
    EXPECT_EQ(lines.value(release + 1), "Upstream year,Downstream year,Reach S1-S2,,Reach S2-S3");
    EXPECT_EQ(lines.value(release + 2), ",,estimate,s.e.,estimate,s.e.");
    const QStringList values = fields(lines.value(release + 3));
    ASSERT_EQ(values.size(), 6);
    EXPECT_EQ(values.at(2), "0.71");
    EXPECT_EQ(values.at(4), "0.93");
}

TEST(PhiReport, ReleaseAtTheLastButOneSiteHasOnlyLabelColumns)
{
    ReportModel model(4, 1, {{0, 0}, {2, 0}});
    const auto& item = model.fit({4, 4}, true);
    const HtmlTables html(htmlOf<PhiParameterReport>(model, &item));

    ASSERT_EQ(html.count(), 2);
    QTextTable* table = html.table(1);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->rows(), 3);
    EXPECT_EQ(HtmlTables::cellText(table, 0, 0), "Year");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 0), "2008");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 1), "2008");

    const QStringList lines =
        csvLines(csvOf(PhiParameterCsv(model.releases, model.sites, model.years, &item)));
    const int release = lines.indexOf("Release:,S2 2008");
    ASSERT_GE(release, 0);
    EXPECT_EQ(lines.value(release + 1), "Upstream year,Downstream year");
    EXPECT_EQ(lines.value(release + 2), ",");
    EXPECT_EQ(lines.value(release + 3), "2008,2008");
}

TEST(PhiCsv, EmptyFieldsWhereTheFirstReachHasNoValue)
{
    ReportModel model(4, 2, {{0, 0}});
    model.setPhi(0, 2, 1, 1, 0.25);
    const auto& item = model.fit({1, 1}, false);
    const QString csv = csvOf(PhiParameterCsv(model.releases, model.sites, model.years, &item));
    const QStringList lines = csvLines(csv);

    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines.at(0), "Survival and Movement Parameter Estimates");
    EXPECT_EQ(lines.at(1), "");
    EXPECT_EQ(lines.at(2), "Releases");
    const QStringList tail = lines.mid(lines.size() - 7);
    const QStringList expected = {
        "",
        "Release:,S0 2008",
        "Upstream year,Downstream year,Reach Rel-S1,,Reach S1-S2",
        ",,estimate,s.e.,estimate,s.e.",
        "2008,2008,0.5,NA,0.5,NA",
        "2008,2009,0.5,NA,0.5,NA",
        "2009,2009,,,0.25,NA",
    };
    EXPECT_EQ(tail, expected);
    EXPECT_FALSE(hasNonFinite(csv));
}

TEST(PhiReport, WithoutCovarianceCellsReadNA)
{
    ReportModel model(4, 1, {{0, 0}});
    const auto& item = model.fit({1, 1}, false);
    const HtmlTables html(htmlOf<PhiParameterReport>(model, &item));
    QTextTable* table = html.table(0);
    EXPECT_EQ(HtmlTables::cellText(table, 2, 2), "0.5000 (NA)");
    EXPECT_EQ(HtmlTables::cellText(table, 2, 3), "0.5000 (NA)");
    EXPECT_FALSE(hasNonFinite(html.plainText()));
}
