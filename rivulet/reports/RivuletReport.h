#pragma once

#include "lum/report/QtReport.h"

namespace rivulet {

class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// The application's report: a report of the framework over the releases, sites and years
// in the analysis (borrowed; they must outlive the report). The kind names the report and
// gives its title.
class RivuletReport : public lum::QtReport
{
    Q_OBJECT

public:
    static constexpr qint32 PhiParameterKind = 0;
    static constexpr qint32 CaptureParameterKind = 1;
    static constexpr qint32 PerformanceMeasureKind = 2;
    static constexpr qint32 ReleaseSummaryKind = 3;
    static constexpr qint32 ModelAverageKind = 4;

    RivuletReport(qint32 kind, const ReleasesControllerI& releases, const SitesControllerI& sites,
                  const YearsControllerI& years, lum::ThreadRunner* runner = nullptr,
                  QObject* parent = nullptr);
    ~RivuletReport() override;

    // "Survival and Movement Parameter Estimates", "Capture Parameter Estimates",
    // "Performance Measures", "Releases Summary", "Model-Averaged Estimates"; empty for any
    // other kind.
    static QString reportTitle(qint32 kind);
    QString reportTitle() const { return reportTitle(kind()); }

    void buildDocument() override;

protected:
    const ReleasesControllerI& releases() const { return m_releases; }
    const SitesControllerI& sites() const { return m_sites; }
    const YearsControllerI& years() const { return m_years; }

private:
    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
};

} // namespace rivulet
