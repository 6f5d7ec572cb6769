#include "rivulet/model/DownRiverSurvival.h"

#include "rivulet/data/SitesControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ParameterMap.h"

namespace rivulet {

namespace {
constexpr int NoSite = -1;
} // namespace

DownRiverSurvival::DownRiverSurvival(const SitesControllerI& sites, const ParameterMap& parameters,
                                     const CovarianceMap& covariances)
    : m_parameters(parameters), m_covariances(covariances), m_siteCount(sites.count()),
      m_residualizationSite(parameters.residualizationSite())
{
}

bool DownRiverSurvival::hasCovariance() const
{
    return m_covariances.hasCovariance();
}

double DownRiverSurvival::productWithout(int r, int y, int skipped) const
{
    double product = 1.0;
    for (int s = m_residualizationSite + 1; s <= m_siteCount - 2; ++s) {
        if (s != skipped)
            product *= m_parameters.phi(r, s, y, y);
    }
    return product;
}

double DownRiverSurvival::estimate(int r, int y) const
{
    return productWithout(r, y, NoSite);
}

double DownRiverSurvival::variance(int r, int y) const
{
    if (!hasCovariance())
        return 0.0;
    double sum = 0.0;
    for (int j = m_residualizationSite + 1; j <= m_siteCount - 2; ++j) {
        const double dj = productWithout(r, y, j);
        for (int k = m_residualizationSite + 1; k <= m_siteCount - 2; ++k) {
            sum += dj * productWithout(r, y, k) * m_covariances.phiCovariance(r, j, y, y, k, y, y);
        }
    }
    return sum;
}

bool DownRiverSurvival::isFixed(int r, int y) const
{
    for (int s = m_residualizationSite + 1; s <= m_siteCount - 2; ++s)
        if (!m_parameters.isPhiFixed(r, s, y, y))
            return false;
    return true;
}

MeasureValue DownRiverSurvival::measure(int r, int y) const
{
    return MeasureValue{estimate(r, y), variance(r, y), hasCovariance(), isFixed(r, y)};
}

} // namespace rivulet
