#pragma once

#include "rivulet/reports/RivuletReport.h"

namespace rivulet {

class NextDetectionsI;

// "Releases Summary": the releases in the analysis with their site, year and number of
// tagged fish, or "No data loaded". The next-detection counts are borrowed.
class ReleaseSummaryReport : public RivuletReport
{
    Q_OBJECT

public:
    ReleaseSummaryReport(const ReleasesControllerI& releases, const SitesControllerI& sites,
                         const YearsControllerI& years, const NextDetectionsI& counts,
                         QObject* parent = nullptr, lum::ThreadRunner* runner = nullptr);
    ~ReleaseSummaryReport() override;

    // Every fish of the release counted once: at its first detection or as never detected.
    qint64 releaseSize(int releaseId) const;

protected:
    void buildReport() override;

private:
    const NextDetectionsI& m_counts;
};

} // namespace rivulet
