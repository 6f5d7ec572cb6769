#pragma once

#include "rivulet/model/AgeComposition.h"
#include "rivulet/model/DownRiverSurvival.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/PMSurvivalToSite.h"

namespace rivulet {

// Every performance measure of one fitted model, for one report run: the survival of each
// release to each site, the overall cohort survival, the age composition of the first
// release's migrants and the down-river survival below the residualization site. The
// controllers and the maps are borrowed and must outlive the object.
class PerformanceMeasures
{
public:
    PerformanceMeasures(const ReleasesControllerI& releases, const SitesControllerI& sites,
                        const YearsControllerI& years, const ParameterMap& parameters,
                        const CovarianceMap& covariances);
    PerformanceMeasures(const PerformanceMeasures&) = delete;
    PerformanceMeasures& operator=(const PerformanceMeasures&) = delete;

    bool hasCovariance() const { return m_survival.hasCovariance(); }
    MeasureValue survivalToSite(int r, int s) const { return m_survival.survival(r, s); }
    MeasureValue overallCohortSurvival() const { return m_survival.overallCohortSurvival(); }
    // Share of the first release's migrants at site s that pass it in year y.
    MeasureValue ageComposition(int s, int y) const { return m_ages.measure(s, y); }
    MeasureValue downRiverSurvival(int r, int y) const { return m_downRiver.measure(r, y); }
    int residualizationSite() const { return m_downRiver.residualizationSite(); }

    const PMSurvivalToSite& survival() const { return m_survival; }

private:
    PMSurvivalToSite m_survival;
    AgeComposition m_ages;
    DownRiverSurvival m_downRiver;
};

} // namespace rivulet
