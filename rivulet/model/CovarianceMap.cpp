#include "rivulet/model/CovarianceMap.h"

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/model/ParameterStructure.h"

#include <stdexcept>

namespace rivulet {

CovarianceMap::CovarianceMap(const ParameterStructure& structure,
                             const lum::DenseMatrix* covariance)
    : structure_(&structure), covariance_(covariance)
{
}

CovarianceMap::~CovarianceMap() = default;

bool CovarianceMap::hasCovariance() const
{
    return covariance_ != nullptr;
}

double CovarianceMap::element(int i, int j) const
{
    if (!hasCovariance() || i < 0 || j < 0) {
        return 0.0;
    }
    if (i >= covariance_->rows() || j >= covariance_->columns()) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return scale_ == 1.0 ? (*covariance_)(i, j) : (*covariance_)(i, j) * scale_;
}

double CovarianceMap::phiCovariance(int r, int s, int y1, int y2, int s2, int y12, int y22) const
{
    return element(structure_->phiIndex(r, s, y1, y2), structure_->phiIndex(r, s2, y12, y22));
}

double CovarianceMap::captureCovariance(int r, int s, int y, int s2, int y2) const
{
    return element(structure_->captureIndex(r, s, y), structure_->captureIndex(r, s2, y2));
}

double CovarianceMap::lambdaVariance(int r, int y1, int y2) const
{
    const int i = structure_->lambdaIndex(r, y1, y2);
    return element(i, i);
}

} // namespace rivulet
