#include "rivulet/model/ModelResult.h"

#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ParameterMap.h"

namespace rivulet {

int ModelResult::numParameters() const
{
    return parameters ? parameters->numParameters() : 0;
}

bool ModelResult::hasCovariance() const
{
    return covariances && covariances->hasCovariance();
}

} // namespace rivulet
