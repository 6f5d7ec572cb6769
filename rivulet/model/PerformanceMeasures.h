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

    bool hasCovariance() const { return survival_.hasCovariance(); }
    MeasureValue survivalToSite(int r, int s) const { return survival_.survival(r, s); }
    MeasureValue overallCohortSurvival() const { return survival_.overallCohortSurvival(); }
    // Share of the first release's migrants at site s that pass it in year y.
    MeasureValue ageComposition(int s, int y) const { return ages_.measure(s, y); }
    MeasureValue downRiverSurvival(int r, int y) const { return downRiver_.measure(r, y); }
    int residualizationSite() const { return downRiver_.residualizationSite(); }

    const PMSurvivalToSite& survival() const { return survival_; }

private:
    PMSurvivalToSite survival_;
    AgeComposition ages_;
    DownRiverSurvival downRiver_;
};

} // namespace rivulet
