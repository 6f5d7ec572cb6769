#pragma once

#include "rivulet/model/EquatingScheme.h"
#include "rivulet/model/FitSummary.h"

#include <cstdint>

namespace rivulet {

class CovarianceMap;
class ParameterMap;

// The record of one fitted model: its key, its fit statistics and read-only views of its
// estimates and their covariances. Owned by EstimationResults, which also owns everything
// the two views look at; a record stays valid until the results are cleared.
struct ModelResult
{
    std::int32_t captureCode = 0;
    std::int32_t survivalCode = 0;
    // 2k - 2 ln L, k being the number of free parameters.
    double aic = 0.0;
    // ln L at the estimates (minus the final objective value).
    double logLikelihood = 0.0;
    const ParameterMap* parameters = nullptr;
    // hasCovariance() is false when the covariance matrix could not be computed.
    const CovarianceMap* covariances = nullptr;
    // How the fit ended (always converged for a recorded model), its work, and the status of
    // the covariance of each block of parameters.
    FitSummary summary;

    EquatingScheme scheme() const { return {captureCode, survivalCode}; }
    int numParameters() const;
    bool hasCovariance() const;
};

} // namespace rivulet
