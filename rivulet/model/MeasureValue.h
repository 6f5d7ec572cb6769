#pragma once

#include <cmath>

namespace rivulet {

// One derived quantity of a fitted model with its delta-method variance. Without a
// covariance matrix the variance is 0 and means nothing; a value that cannot be computed
// (a division by a total of zero) is not finite.
struct MeasureValue
{
    double estimate = 0.0;
    double variance = 0.0;
    bool hasCovariance = false;
    // The quantity depends on no free parameter: the data fixed it (a site passed unseen is
    // reached for certain), so it has no standard error to report.
    bool isFixed = false;
    // Without a standard error (an estimate at a bound, or one the data do not inform), the
    // interval found otherwise, a profile likelihood's, stands in its place.
    bool hasInterval = false;
    double lower = 0.0;
    double upper = 0.0;

    bool hasEstimate() const { return std::isfinite(estimate); }
    // A standard error exists only with a covariance matrix and a usable variance: round-off
    // can make a variance of a (nearly) fixed quantity slightly negative.
    bool hasStandardError() const
    {
        return hasCovariance && std::isfinite(variance) && variance >= 0.0;
    }
    double standardError() const { return std::sqrt(variance); }
};

} // namespace rivulet
