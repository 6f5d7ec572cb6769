#include "rivulet/model/CovarianceMap.h"

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/model/ParameterStructure.h"

#include <stdexcept>

namespace rivulet {

CovarianceMap::CovarianceMap(const ParameterStructure& structure,
                             const lum::DenseMatrix* covariance)
    : m_structure(&structure), m_covariance(covariance)
{
}

CovarianceMap::~CovarianceMap() = default;

bool CovarianceMap::hasCovariance() const
{
    return m_covariance != nullptr;
}

double CovarianceMap::element(int i, int j) const
{
    if (!hasCovariance() || i < 0 || j < 0) {
        return 0.0;
    }
    if (i >= m_covariance->rows() || j >= m_covariance->columns()) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return m_scale == 1.0 ? (*m_covariance)(i, j) : (*m_covariance)(i, j) * m_scale;
}

double CovarianceMap::phiCovariance(int r, int s, int y1, int y2, int s2, int y12, int y22) const
{
    return element(m_structure->phiIndex(r, s, y1, y2), m_structure->phiIndex(r, s2, y12, y22));
}

double CovarianceMap::captureCovariance(int r, int s, int y, int s2, int y2) const
{
    return element(m_structure->captureIndex(r, s, y), m_structure->captureIndex(r, s2, y2));
}

double CovarianceMap::lambdaVariance(int r, int y1, int y2) const
{
    const int i = m_structure->lambdaIndex(r, y1, y2);
    return element(i, i);
}

} // namespace rivulet
