#include "rivulet/reports/CaptureParameterReport.h"

#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/model/ParameterMap.h"

#include <QTextCursor>
#include <QTextTable>

namespace rivulet {

CaptureParameterReport::CaptureParameterReport(const ReleasesControllerI& releases,
                                               const SitesControllerI& sites,
                                               const YearsControllerI& years, int estimatePrecision,
                                               int errorPrecision, QObject* parent,
                                               lum::ThreadRunner* runner)
    : ParameterReport(CaptureParameterKind, releases, sites, years, estimatePrecision,
                      errorPrecision, parent, runner)
{
}

CaptureParameterReport::~CaptureParameterReport() = default;

void CaptureParameterReport::buildReport()
{
    writeEstimateReport([this](QTextCursor& cursor, const ReleaseStart& start,
                               const ModelResult& result) { writeTable(cursor, start, result); });
}

void CaptureParameterReport::writeTable(QTextCursor& cursor, const ReleaseStart& start,
                                        const ModelResult& result) const
{
    const QStringList siteNames = sites().shortNames();
    const QStringList yearNames = years().yearLabels();
    // Column c shows site s0 + c; the last site has no capture parameter.
    const int columns = siteNames.size() - start.site - 1;
    const int rows = 1 + years().count() - start.year;
    if (columns < 1 || rows < 1)
        return;
    QTextTable* table = cursor.insertTable(rows, columns, tableFormat(0));

    writeCell(table, 0, 0, QStringLiteral("Downstream"), 1);
    for (int c = 1; c < columns; ++c)
        writeCell(table, 0, c, siteNames.value(start.site + c), 1);
    for (int k = 1; k < rows; ++k)
        writeCell(table, k, 0, yearNames.value(start.year + k - 1), 3);
    setCellBlockFormat(table, 0, 0, 1, columns, blockFormat(9));

    const ParameterMap& parameters = *result.parameters;
    const CovarianceMap& covariances = *result.covariances;
    for (int k = 1; k < rows; ++k) {
        const int y = start.year + k - 1;
        for (int c = 1; c < columns; ++c) {
            const int s = start.site + c;
            const MeasureValue value{parameters.capture(start.release, s, y),
                                     covariances.captureCovariance(start.release, s, y, s, y),
                                     covariances.hasCovariance()};
            writeCell(table, k, c, valueText(value), 3);
        }
    }
}

} // namespace rivulet
