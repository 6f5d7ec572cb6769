#include "rivulet/reports/RivuletReport.h"

namespace rivulet {

RivuletReport::RivuletReport(qint32 kind, const ReleasesControllerI& releases,
                             const SitesControllerI& sites, const YearsControllerI& years,
                             lum::ThreadRunner* runner, QObject* parent)
    : lum::QtReport(kind, runner, parent), releases_(releases), sites_(sites), years_(years)
{
}

RivuletReport::~RivuletReport() = default;

QString RivuletReport::reportTitle(qint32 kind)
{
    switch (kind) {
    case PhiParameterKind:
        return QStringLiteral("Survival and Movement Parameter Estimates");
    case CaptureParameterKind:
        return QStringLiteral("Capture Parameter Estimates");
    case PerformanceMeasureKind:
        return QStringLiteral("Performance Measures");
    case ReleaseSummaryKind:
        return QStringLiteral("Releases Summary");
    case ModelAverageKind:
        return QStringLiteral("Model-Averaged Estimates");
    default:
        return QString();
    }
}

void RivuletReport::buildDocument()
{
    buildReport();
}

} // namespace rivulet
