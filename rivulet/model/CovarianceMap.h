#pragma once

namespace lum {
class DenseMatrix;
}

namespace rivulet {

class ParameterStructure;

// Covariances of one model's estimates, addressed by release, site and year positions. Both
// parameters of a lookup belong to the same release; a fixed parameter, or a model without
// a covariance matrix, answers 0. It borrows its structure and covariance matrix (numFree x
// numFree, or none when it could not be computed), both required to outlive
// the map. A position outside the matrix throws std::out_of_range.
class CovarianceMap
{
public:
    CovarianceMap(const ParameterStructure& structure, const lum::DenseMatrix* covariance);
    ~CovarianceMap();

    double phiCovariance(int r, int s, int y1, int y2, int s2, int y12, int y22) const;
    double captureCovariance(int r, int s, int y, int s2, int y2) const;
    double lambdaVariance(int r, int y1, int y2) const;
    bool hasCovariance() const;
    // Every covariance read is multiplied by `factor` (ĉ, for standard errors √ĉ times wider);
    // 1 by default, which leaves the matrix's values as they are.
    void setScale(double factor) { m_scale = factor; }
    double scale() const { return m_scale; }

private:
    double element(int i, int j) const;

    const ParameterStructure* m_structure;
    const lum::DenseMatrix* m_covariance;
    double m_scale = 1.0;
};

} // namespace rivulet
