#include "rivulet/model/PerformanceMeasures.h"

namespace rivulet {

PerformanceMeasures::PerformanceMeasures(const ReleasesControllerI& releases,
                                         const SitesControllerI& sites,
                                         const YearsControllerI& years,
                                         const ParameterMap& parameters,
                                         const CovarianceMap& covariances)
    : m_survival(releases, sites, years, parameters, covariances),
      m_ages(releases, years, m_survival), m_downRiver(sites, parameters, covariances)
{
}

} // namespace rivulet
