#include "rivulet/reports/ModelAverageReport.h"

#include "rivulet/model/EstimationResults.h"
#include "rivulet/results/LogitInterval.h"
#include "rivulet/results/ModelAveragedEstimates.h"
#include "rivulet/results/ModelComparison.h"
#include "rivulet/results/ReleasedFish.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <cmath>

namespace rivulet {

namespace {

QString fixed(double value, int precision)
{
    return std::isfinite(value) ? QString::number(value, 'f', precision) : QStringLiteral("NA");
}

} // namespace

ModelAverageReport::ModelAverageReport(const ReleasesControllerI& releases,
                                       const SitesControllerI& sites, const YearsControllerI& years,
                                       const ModelCatalogue& catalogue,
                                       const ReleaseSummary& summary, const NextDetectionsI& counts,
                                       const EstimationResults& results, lum::ThreadRunner* runner,
                                       QObject* parent)
    : RivuletReport(ModelAverageKind, releases, sites, years, runner, parent),
      m_catalogue(catalogue), m_summary(summary), m_counts(counts), m_results(results)
{
}

void ModelAverageReport::setPrecisions(int estimatePrecision, int errorPrecision)
{
    m_estimatePrecision = estimatePrecision;
    m_errorPrecision = errorPrecision;
}

void ModelAverageReport::buildReport()
{
    QTextDocument* doc = document();
    if (!doc || m_results.isEmpty())
        return;
    // The weights come from AICc whichever criterion marks the best model.
    const ModelComparison comparison(m_catalogue, m_results, ReleasedFish::count(m_counts),
                                     ModelSelectionCriterion::Aic, m_count);
    const ModelAveragedEstimates averaged(m_results, comparison, m_summary);

    QTextCursor cursor(doc);
    cursor.setBlockFormat(blockFormat(2));
    cursor.insertText(reportTitle(), charFormat(5));
    cursor.insertBlock(blockFormat(4));
    if (averaged.modelCount() == 0) {
        cursor.insertText(QStringLiteral("No model has an AICc (too few fish for its number of "
                                         "parameters); nothing can be averaged."),
                          charFormat(0));
        return;
    }
    const QString text =
        comparison.quasiLikelihood()
            ? QStringLiteral("Averaged over %1 model(s) by their weights from QAICc (c-hat = %2, "
                             "standard errors inflated by its square root), with the "
                             "unconditional standard error (Burnham and Anderson 2002, eq. 4.9) "
                             "and the 95% interval on the logit scale. Only the quantities that "
                             "every model estimates are averaged.")
                  .arg(averaged.modelCount())
                  .arg(comparison.chat())
            : QStringLiteral("Averaged over %1 model(s) by their Akaike weights from AICc, with "
                             "the unconditional standard error (Burnham and Anderson 2002, eq. "
                             "4.9) and the 95% interval on the logit scale. Only the quantities "
                             "that every model estimates are averaged.")
                  .arg(averaged.modelCount());
    cursor.insertText(text, charFormat(0));
    cursor.insertBlock(blockFormat(4));

    const QStringList headers = {
        QStringLiteral("Quantity"),    QStringLiteral("Release or Age Class"),
        QStringLiteral("Site"),        QStringLiteral("Year"),
        QStringLiteral("Estimate"),    QStringLiteral("S.E."),
        QStringLiteral("95% Interval")};
    const int columns = static_cast<int>(headers.size());
    const auto& rows = averaged.rows();
    QTextTable* table =
        cursor.insertTable(static_cast<int>(rows.size()) + 1, columns, tableFormat(0));
    setCellBlockFormat(table, 0, 0, 1, columns, blockFormat(9));
    for (int c = 0; c < columns; ++c)
        table->cellAt(0, c).firstCursorPosition().insertText(headers.at(c), cellFormat(1));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QuantityRow& row = rows[i];
        const std::optional<LogitInterval>& interval = row.interval;
        const QString year =
            row.year2.isEmpty() ? row.year1 : row.year1 + QStringLiteral(" to ") + row.year2;
        const QStringList cells = {
            row.name,
            row.group,
            row.site,
            year,
            fixed(row.estimate, m_estimatePrecision),
            row.standardError ? fixed(*row.standardError, m_errorPrecision) : QStringLiteral("NA"),
            interval ? QStringLiteral("%1 - %2").arg(fixed(interval->lower(), m_estimatePrecision),
                                                     fixed(interval->upper(), m_estimatePrecision))
                     : QStringLiteral("NA")};
        for (int c = 0; c < columns; ++c)
            table->cellAt(static_cast<int>(i) + 1, c)
                .firstCursorPosition()
                .insertText(cells.at(c), cellFormat(3));
    }
    cursor.movePosition(QTextCursor::Start);
}

} // namespace rivulet
