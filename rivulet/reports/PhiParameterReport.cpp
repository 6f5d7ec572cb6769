#include "rivulet/reports/PhiParameterReport.h"

#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/reports/PhiTableLayout.h"

#include <QTextCursor>
#include <QTextTable>

namespace rivulet {

namespace {
// Two label columns (upstream and downstream year) and two header rows.
constexpr int LabelColumns = 2;
constexpr int HeaderRows = 2;
} // namespace

PhiParameterReport::PhiParameterReport(const ReleasesControllerI& releases,
                                       const SitesControllerI& sites, const YearsControllerI& years,
                                       int estimatePrecision, int errorPrecision, QObject* parent,
                                       lum::ThreadRunner* runner)
    : ParameterReport(PhiParameterKind, releases, sites, years, estimatePrecision, errorPrecision,
                      parent, runner)
{
}

PhiParameterReport::~PhiParameterReport() = default;

void PhiParameterReport::buildReport()
{
    writeEstimateReport([this](QTextCursor& cursor, const ReleaseStart& start,
                               const ModelResult& result) { writeTable(cursor, start, result); });
}

void PhiParameterReport::writeTable(QTextCursor& cursor, const ReleaseStart& start,
                                    const ModelResult& result) const
{
    const QStringList siteNames = sites().shortNames();
    const QStringList yearNames = years().yearLabels();
    const int siteCount = siteNames.size();
    const PhiTableLayout layout(siteNames, years().count(), start.site, start.year);
    const int columns = siteCount - start.site;
    if (columns < LabelColumns)
        return;
    const int rows = static_cast<int>(layout.yearPairs().size()) + HeaderRows;
    QTextTable* table = cursor.insertTable(rows, columns, tableFormat(0));

    table->mergeCells(0, 0, 1, LabelColumns);
    writeCell(table, 0, 0, QStringLiteral("Year"), 1);
    if (columns > LabelColumns) {
        table->mergeCells(0, LabelColumns, 1, columns - LabelColumns);
        writeCell(table, 0, LabelColumns, QStringLiteral("Reach"), 1);
    }
    writeCell(table, 1, 0, QStringLiteral("Upstream"), 1);
    writeCell(table, 1, 1, QStringLiteral("Downstream"), 1);
    for (int j = 0; j < layout.reachCount(); ++j)
        writeCell(table, 1, LabelColumns + j, layout.reachLabel(j), 1);
    for (std::size_t i = 0; i < layout.yearPairs().size(); ++i) {
        const PhiTableLayout::YearPair& pair = layout.yearPairs()[i];
        const int row = HeaderRows + static_cast<int>(i);
        writeCell(table, row, 0, yearNames.value(pair.upstream), 3);
        writeCell(table, row, 1, yearNames.value(pair.downstream), 3);
    }
    setCellBlockFormat(table, 0, 0, HeaderRows, columns, blockFormat(9));

    const ParameterMap& parameters = *result.parameters;
    const CovarianceMap& covariances = *result.covariances;
    for (int j = 0; j < layout.reachCount(); ++j) {
        const int s = layout.reachSite(j);
        for (std::size_t i = 0; i < layout.yearPairs().size(); ++i) {
            const PhiTableLayout::YearPair& pair = layout.yearPairs()[i];
            if (!layout.hasValue(j, pair))
                continue;
            const int u = pair.upstream;
            const int d = pair.downstream;
            const MeasureValue value{parameters.phi(start.release, s, u, d),
                                     covariances.phiCovariance(start.release, s, u, d, s, u, d),
                                     covariances.hasCovariance()};
            writeCell(table, HeaderRows + static_cast<int>(i), LabelColumns + j, valueText(value),
                      3);
        }
    }
}

} // namespace rivulet
