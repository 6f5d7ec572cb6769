#pragma once

namespace rivulet {

// Survival of the fish of a release to the sites below its release site, derived from one
// fitted model. Releases, sites and years are positions in the controllers' lists.
class PMSurvivalToSiteI
{
public:
    virtual ~PMSurvivalToSiteI();

    // Probability that a fish of release r is alive at site s, whatever the year it passes.
    virtual double survivalToSite(int r, int s) const = 0;
    // Probability that a fish of release r is alive at site s and passes it in year y.
    virtual double survivalToSiteInYear(int r, int s, int y) const = 0;
    // Delta-method covariance of survivalToSiteInYear(r, s, y) and (r, s, y2); 0 without a
    // covariance matrix.
    virtual double yearCovariance(int r, int s, int y, int y2) const = 0;
    virtual bool hasCovariance() const = 0;
    // True when survivalToSite(r, s) depends on no free parameter. A source that does not
    // know answers false.
    virtual bool isSurvivalFixed(int /*r*/, int /*s*/) const { return false; }
};

} // namespace rivulet
