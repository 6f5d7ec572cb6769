#include "rivulet/model/PerformanceMeasures.h"

namespace rivulet {

PerformanceMeasures::PerformanceMeasures(const ReleasesControllerI& releases,
                                         const SitesControllerI& sites,
                                         const YearsControllerI& years,
                                         const ParameterMap& parameters,
                                         const CovarianceMap& covariances)
    : survival_(releases, sites, years, parameters, covariances), ages_(releases, years, survival_),
      downRiver_(sites, parameters, covariances)
{
}

} // namespace rivulet
