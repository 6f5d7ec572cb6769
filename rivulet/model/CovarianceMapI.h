#pragma once

namespace rivulet {

// Read-only view of the covariances of a model's estimates, addressed by release, site and
// year positions. Both parameters of a lookup belong to the same release. A fixed parameter,
// or a model without a covariance matrix, answers 0.
class CovarianceMapI
{
public:
    virtual ~CovarianceMapI();
    virtual double phiCovariance(int r, int s, int y1, int y2, int s2, int y12, int y22) const = 0;
    virtual double captureCovariance(int r, int s, int y, int s2, int y2) const = 0;
    virtual double lambdaVariance(int r, int y1, int y2) const = 0;
    virtual bool hasCovariance() const = 0;
};

} // namespace rivulet
