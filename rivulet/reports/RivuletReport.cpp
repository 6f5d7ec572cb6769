#include "rivulet/reports/RivuletReport.h"

#include "rivulet/results/ModelDocuments.h"

namespace rivulet {

RivuletReport::RivuletReport(qint32 kind, const ReleasesControllerI& releases,
                             const SitesControllerI& sites, const YearsControllerI& years,
                             lum::ThreadRunner* runner, QObject* parent)
    : lum::QtReport(kind, runner, parent), m_releases(releases), m_sites(sites), m_years(years)
{
}

RivuletReport::~RivuletReport() = default;

QString RivuletReport::reportTitle(qint32 kind)
{
    switch (kind) {
    case PhiParameterKind:
        return ModelDocuments::title(ModelDocuments::Kind::Survival);
    case CaptureParameterKind:
        return ModelDocuments::title(ModelDocuments::Kind::Capture);
    case PerformanceMeasureKind:
        return ModelDocuments::title(ModelDocuments::Kind::Performance);
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
