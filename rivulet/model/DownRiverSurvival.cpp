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
    : parameters_(parameters), covariances_(covariances), siteCount_(sites.count()),
      residualizationSite_(parameters.residualizationSite())
{
}

bool DownRiverSurvival::hasCovariance() const
{
    return covariances_.hasCovariance();
}

double DownRiverSurvival::productWithout(int r, int y, int skipped) const
{
    double product = 1.0;
    for (int s = residualizationSite_ + 1; s <= siteCount_ - 2; ++s) {
        if (s != skipped)
            product *= parameters_.phi(r, s, y, y);
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
    for (int j = residualizationSite_ + 1; j <= siteCount_ - 2; ++j) {
        const double dj = productWithout(r, y, j);
        for (int k = residualizationSite_ + 1; k <= siteCount_ - 2; ++k) {
            sum += dj * productWithout(r, y, k) * covariances_.phiCovariance(r, j, y, y, k, y, y);
        }
    }
    return sum;
}

bool DownRiverSurvival::isFixed(int r, int y) const
{
    for (int s = residualizationSite_ + 1; s <= siteCount_ - 2; ++s)
        if (!parameters_.isPhiFixed(r, s, y, y))
            return false;
    return true;
}

MeasureValue DownRiverSurvival::measure(int r, int y) const
{
    return MeasureValue{estimate(r, y), variance(r, y), hasCovariance(), isFixed(r, y)};
}

} // namespace rivulet
