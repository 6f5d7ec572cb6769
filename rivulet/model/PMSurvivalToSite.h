#pragma once

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/model/MeasureValue.h"

#include <map>
#include <utility>
#include <vector>

namespace rivulet {

class CovarianceMap;
class ParameterMap;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// Survival of each release to each detection site, in total and by the year in which the
// fish pass the site, with delta-method variances from the covariances of the survival and
// movement parameters.
//
// P(r, s, y), the probability that a fish of release r is alive at site s and passes it in
// year y, follows the branching model down the river: at the first site below the release
// site it is phi(r, s, relYear, y); further down it sums, over the years y1 in which the fish
// passed the site above, phi(r, s, y1, y) * P(r, s-1, y1). Values are defined for the sites
// relSite(r)+1 .. S-2; at the release site itself the fish is alive (1 in the release year)
// and every other site or position answers 0, so callers need not guard their loops.
//
// Every value is computed once and cached, and so is the year covariance matrix of each
// (release, site): report tables ask for the same quantities many times. The caches make
// the object single-threaded. The controllers and the maps are borrowed and must outlive it.
class PMSurvivalToSite
{
public:
    PMSurvivalToSite(const ReleasesControllerI& releases, const SitesControllerI& sites,
                     const YearsControllerI& years, const ParameterMap& parameters,
                     const CovarianceMap& covariances);
    ~PMSurvivalToSite();
    PMSurvivalToSite(const PMSurvivalToSite&) = delete;
    PMSurvivalToSite& operator=(const PMSurvivalToSite&) = delete;

    // Probability that a fish of release r is alive at site s, whatever the year it passes.
    double survivalToSite(int r, int s) const;
    // Probability that a fish of release r is alive at site s and passes it in year y.
    double survivalToSiteInYear(int r, int s, int y) const;
    // Delta-method covariance of survivalToSiteInYear(r, s, y) and (r, s, y2); 0 without a
    // covariance matrix.
    double yearCovariance(int r, int s, int y, int y2) const;
    bool hasCovariance() const;
    // True when survivalToSite(r, s) depends on no free parameter.
    bool isSurvivalFixed(int r, int s) const;

    // Variance of survivalToSite(r, s): the sum of the year covariances over every pair of
    // years from the release year on. 0 without a covariance matrix.
    double survivalVariance(int r, int s) const;
    MeasureValue survival(int r, int s) const;
    // Survival of the first release to the detection site furthest down-river (S-2).
    MeasureValue overallCohortSurvival() const;

    int releaseCount() const { return m_releaseCount; }
    int siteCount() const { return m_siteCount; }
    int yearCount() const { return m_yearCount; }
    // Position of the release's site / year; -1 for a release out of range or inactive.
    int relSite(int r) const;
    int relYear(int r) const;

private:
    // One survival-and-movement parameter of a release, phi(r, site, y1, y2).
    struct PhiKey
    {
        int site = 0;
        int y1 = 0;
        int y2 = 0;
    };

    bool isEstimableSite(int r, int s) const;
    bool isValidYear(int y) const { return y >= 0 && y < m_yearCount; }
    std::size_t siteCell(int r, int s) const;
    double computeInYear(int r, int s, int y) const;
    const lum::DenseMatrix& yearCovarianceMatrix(int r, int s) const;
    lum::DenseMatrix computeYearCovariance(int r, int s) const;
    std::vector<PhiKey> phiParametersUpTo(int r, int s) const;
    lum::DenseMatrix survivalDerivatives(int r, int s, const std::vector<PhiKey>& keys) const;
    lum::DenseMatrix parameterCovariance(int r, const std::vector<PhiKey>& keys) const;

    const ParameterMap& m_parameters;
    const CovarianceMap& m_covariances;
    int m_releaseCount = 0;
    int m_siteCount = 0;
    int m_yearCount = 0;
    std::vector<int> m_relSites;
    std::vector<int> m_relYears;

    // -1.0 marks a value not computed yet.
    static constexpr double NotComputed = -1.0;
    mutable std::vector<double> m_survival;         // [R][S]
    mutable std::vector<double> m_survivalVariance; // [R][S]
    mutable std::vector<double> m_survivalByYear;   // [R][S][Y]
    mutable std::map<std::pair<int, int>, lum::DenseMatrix> m_yearCovariances;
};

} // namespace rivulet
