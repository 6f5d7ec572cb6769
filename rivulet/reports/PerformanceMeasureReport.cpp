#include "rivulet/reports/PerformanceMeasureReport.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/PerformanceMeasures.h"
#include "rivulet/reports/ModelEstimateItem.h"
#include "rivulet/reports/PerformanceMeasureLayout.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace rivulet {

namespace {
constexpr int HeaderRows = 2;
} // namespace

PerformanceMeasureReport::PerformanceMeasureReport(
    const ReleasesControllerI& releases, const SitesControllerI& sites,
    const YearsControllerI& years, const ModelCatalogue& catalogue, const ReleaseSummary& summary,
    int estimatePrecision, int errorPrecision, QObject* parent, lum::ThreadRunner* runner)
    : ParameterReport(PerformanceMeasureKind, releases, sites, years, estimatePrecision,
                      errorPrecision, parent, runner),
      catalogue_(catalogue), summary_(summary)
{
}

PerformanceMeasureReport::~PerformanceMeasureReport() = default;

void PerformanceMeasureReport::buildReport()
{
    QTextDocument* doc = document();
    const ModelResult* result = modelResult();
    if (!doc || !result || releases().ids().isEmpty() || sites().ids().isEmpty() ||
        years().ids().isEmpty())
        return;
    QTextCursor cursor(doc);
    cursor.insertBlock(blockFormat(2));
    writeModelHeaderOf(cursor, *result);

    const PerformanceMeasures measures(releases(), sites(), years(), *result->parameters,
                                       *result->covariances);
    const PerformanceMeasureLayout layout(releases(), sites(), years(), modelItem()->key(),
                                          summary_);
    writeOverallSurvival(cursor, layout, measures);
    writeCohortSurvival(cursor, layout, measures);
    writeAgeComposition(cursor, layout, measures);
    if (measures.residualizationSite() < layout.siteCount() - 2)
        writeDownRiverSurvival(cursor, layout, measures);
    cursor.movePosition(QTextCursor::Start);
}

void PerformanceMeasureReport::writeOverallSurvival(QTextCursor& cursor,
                                                    const PerformanceMeasureLayout& layout,
                                                    const PerformanceMeasures& measures) const
{
    cursor.insertBlock(blockFormat(5));
    cursor.insertText(QStringLiteral("Overall Cohort Survival"), charFormat(6));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("The overall cohort survival is the probability of an "
                                     "individual from the ") +
                          layout.yearNames().value(0) +
                          QStringLiteral(" release group reaching the detection site furthest "
                                         "down-river."),
                      charFormat(0));
    cursor.insertBlock(blockFormat(4));
    cursor.insertText(QStringLiteral("Overall cohort survival: "), charFormat(1));
    cursor.insertText(valueText(measures.overallCohortSurvival()), charFormat(0));
}

QTextTable* PerformanceMeasureReport::insertSiteTable(QTextCursor& cursor, int rows,
                                                      const QString& label,
                                                      const PerformanceMeasureLayout& layout) const
{
    const int columns = layout.siteCount() - 1;
    if (columns < 1)
        return nullptr;
    QTextTable* table = cursor.insertTable(rows, columns, tableFormat(0));
    writeCell(table, 1, 0, label, 1);
    if (columns > 1) {
        table->mergeCells(0, 1, 1, columns - 1);
        writeCell(table, 0, 1, QStringLiteral("Site"), 1);
    }
    for (int c = 1; c < columns; ++c)
        writeCell(table, 1, c, layout.siteNames().value(c), 1);
    setCellBlockFormat(table, 0, 0, HeaderRows, columns, blockFormat(9));
    return table;
}

void PerformanceMeasureReport::writeCohortSurvival(QTextCursor& cursor,
                                                   const PerformanceMeasureLayout& layout,
                                                   const PerformanceMeasures& measures) const
{
    cursor.insertBlock(blockFormat(5));
    cursor.insertText(QStringLiteral("Cohort survival by site location"), charFormat(6));
    cursor.insertBlock(blockFormat(4));
    cursor.insertText(QStringLiteral("Downstream survival by age-specific release group."),
                      charFormat(0));
    const int lastSite = layout.siteCount() - 2;
    QTextTable* table = insertSiteTable(cursor, layout.releaseCount() + HeaderRows,
                                        QStringLiteral("Release"), layout);
    if (table) {
        // The cell of the overall cohort survival.
        QTextBlockFormat highlight = blockFormat(9);
        highlight.setBackground(Qt::yellow);
        setCellBlockFormat(table, HeaderRows, lastSite, 1, 1, highlight);
        for (int k = 0; k < layout.releaseCount(); ++k) {
            const int row = HeaderRows + k;
            const QString mark = layout.contributes(k) ? QString() : QStringLiteral("*");
            writeCell(table, row, 0, layout.releaseLabel(k) + mark, 3);
            if (layout.releaseSite(k) < 0)
                continue;
            for (int s = layout.releaseSite(k) + 1; s <= lastSite; ++s)
                writeCell(table, row, s, valueText(measures.survivalToSite(k, s)), 3);
        }
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock(blockFormat(5));
    cursor.insertText(QStringLiteral("* Release did not contribute to overall cohort survival."),
                      charFormat(2));
}

void PerformanceMeasureReport::writeAgeComposition(QTextCursor& cursor,
                                                   const PerformanceMeasureLayout& layout,
                                                   const PerformanceMeasures& measures) const
{
    cursor.insertBlock(blockFormat(5));
    cursor.insertText(QStringLiteral("Age Composition of migrants by Site"), charFormat(6));
    cursor.insertBlock(blockFormat(4));
    const int lastSite = layout.siteCount() - 2;
    QTextTable* table =
        insertSiteTable(cursor, layout.yearCount() + HeaderRows, QStringLiteral("Age"), layout);
    if (table) {
        for (int a = 0; a < layout.yearCount(); ++a) {
            const int row = HeaderRows + a;
            writeCell(table, row, 0, layout.ageLabel(a), 3);
            if (layout.releaseSite(0) < 0)
                continue;
            for (int s = layout.releaseSite(0) + 1; s <= lastSite; ++s)
                writeCell(table, row, s, valueText(measures.ageComposition(s, a)), 3);
        }
    }
    cursor.movePosition(QTextCursor::End);
}

void PerformanceMeasureReport::writeDownRiverSurvival(QTextCursor& cursor,
                                                      const PerformanceMeasureLayout& layout,
                                                      const PerformanceMeasures& measures) const
{
    const QStringList& longNames = layout.siteLongNames();
    const QString firstSite = longNames.value(1);
    cursor.insertBlock(blockFormat(5));
    cursor.insertText(QStringLiteral("Down-River Survivals Below Residualization"), charFormat(6));
    cursor.insertBlock(blockFormat(4));
    cursor.insertText(QStringLiteral("The probability that an individual alive at ") + firstSite +
                          QStringLiteral(" in a given year survives and migrates to the "
                                         "furthest\n") +
                          QStringLiteral("downstream site in the same year."),
                      charFormat(0));

    const std::vector<PerformanceMeasureLayout::DownRiverRow> rows = layout.downRiverRows();
    QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()) + 1, 3, tableFormat(0));
    writeCell(table, 0, 0, QStringLiteral("Release"), 1);
    writeCell(table, 0, 1, QStringLiteral("Year at ") + firstSite, 1);
    writeCell(table, 0, 2,
              QStringLiteral("Survival estimate to ") + longNames.value(layout.siteCount() - 2), 1);
    setCellBlockFormat(table, 0, 0, 1, 3, blockFormat(9));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PerformanceMeasureLayout::DownRiverRow& row = rows[i];
        const int tableRow = 1 + static_cast<int>(i);
        if (row.firstOfRelease)
            writeCell(table, tableRow, 0, layout.releaseLabel(row.release), 3);
        writeCell(table, tableRow, 1, layout.yearNames().value(row.year), 3);
        writeCell(table, tableRow, 2, valueText(measures.downRiverSurvival(row.release, row.year)),
                  3);
    }
    cursor.movePosition(QTextCursor::End);
}

} // namespace rivulet
