#pragma once

#include "rivulet/model/MeasureValue.h"

namespace rivulet {

class CovarianceMap;
class ParameterMap;
class SitesControllerI;

// Survival below the residualization site: the probability that a fish of release r alive
// at site rho (the last site at which fish can still hold over) in year y passes every site
// from rho+1 to S-2 in that same year, D(r, y) = product of phi(r, s, y, y), with its
// delta-method variance. With rho at S-2 or below nothing is left to pass: D = 1 and the
// variance is 0.
//
// The sites controller and the maps are borrowed and must outlive the calculator.
class DownRiverSurvival
{
public:
    DownRiverSurvival(const SitesControllerI& sites, const ParameterMap& parameters,
                      const CovarianceMap& covariances);

    double estimate(int r, int y) const;
    // 0 without a covariance matrix.
    double variance(int r, int y) const;
    bool hasCovariance() const;
    MeasureValue measure(int r, int y) const;
    // True when no factor of the product is a free parameter.
    bool isFixed(int r, int y) const;

    int residualizationSite() const { return m_residualizationSite; }

private:
    // Product of phi(r, s, y, y) over s = rho+1 .. S-2, leaving out site `skipped`.
    double productWithout(int r, int y, int skipped) const;

    const ParameterMap& m_parameters;
    const CovarianceMap& m_covariances;
    int m_siteCount = 0;
    int m_residualizationSite = 0;
};

} // namespace rivulet
