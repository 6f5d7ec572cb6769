#pragma once

#include "rivulet/model/MeasureValue.h"

namespace rivulet {

class PMSurvivalToSite;
class ReleasesControllerI;
class YearsControllerI;

// Age composition of the migrants of the first release passing a site: the share of the
// fish alive at site s that pass it in year y, A(s, y) = P(0, s, y) / T(s) with T(s) the
// release's total survival to s, and its delta-method variance from the year covariances.
//
// Years are positions in the years controller; the migrants of year y are y - relYear(0)
// years older than at release. A total survival of 0 leaves the share undefined: estimate
// and variance are then not finite (NaN), and a report shows them as not available.
//
// The controllers and the survival object are borrowed and must outlive the calculator.
class AgeComposition
{
public:
    AgeComposition(const ReleasesControllerI& releases, const YearsControllerI& years,
                   const PMSurvivalToSite& survival);

    double proportion(int s, int y) const;
    // 0 without a covariance matrix.
    double variance(int s, int y) const;
    bool hasCovariance() const;
    MeasureValue measure(int s, int y) const;

    // Year position of the first release's release year; -1 when there is no release.
    int releaseYear() const { return m_releaseYear; }

private:
    const PMSurvivalToSite& m_survival;
    int m_yearCount = 0;
    int m_releaseYear = -1;
};

} // namespace rivulet
