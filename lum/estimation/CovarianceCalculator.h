#pragma once

#include "lum/core/Expected.h"
#include "lum/estimation/DenseMatrix.h"

#include <QString>

#include <atomic>
#include <vector>

namespace lum {

class Func;

// The covariance matrix of maximum likelihood estimates: the inverse of the numerical Hessian
// of the negative log-likelihood at the estimates. Made for one computation.
//
// A Hessian that is singular, that has an element that is not finite (a parameter estimated at
// exactly 0 gets no difference step), or whose inverse has a variance that is not a positive
// finite number, gives no covariance: "Singular Hessian in calculating covariance matrix".
class CovarianceCalculator
{
public:
    // The text of every failure that comes from the Hessian itself.
    static const char* const SingularHessian;

    // `cancelled` is borrowed; step is the relative difference step.
    explicit CovarianceCalculator(const std::atomic<bool>& cancelled, double step = 1e-5);

    // Computes the covariance of func at x into `covariance` (numFree x numFree): true when it
    // was computed, false when cancelled, or the error that says why there is none (its message
    // SingularHessian when the Hessian is to blame). `hessianOut`, if given, receives the
    // Hessian.
    Expected<bool> compute(Func& func, const std::vector<double>& x, DenseMatrix& covariance,
                           DenseMatrix* hessianOut = nullptr);

    // The same covariance from the Hessian assembled sparsely from the function's terms
    // (SparseHessian, with the same steps) and factored by a sparse LDLT, for a function with
    // a term structure and an exact gradient: the dense Hessian's SVD and LU cost n³, this
    // costs the factor's fill. Only for a clearly positive definite Hessian: false, with
    // `covariance` untouched, when the factor is not (or when cancelled), and compute() then
    // decides as it always did. `hessianOut`, if given, receives the Hessian when the factor
    // leaves the decision open (it stays empty when cancelled): computeFrom() decides on it as
    // compute() would, without the n² evaluations of the function's differences.
    bool computeSparse(Func& func, const std::vector<double>& x, DenseMatrix& covariance,
                       DenseMatrix* hessianOut = nullptr);

    // compute()'s decision and inverse on a Hessian computed elsewhere: the rank test, the LU
    // inverse and the test of the variances. The errors are compute()'s.
    Expected<bool> computeFrom(const DenseMatrix& hessian, DenseMatrix& covariance);

    double step() const { return m_step; }

private:
    bool computeInto(Func& func, const std::vector<double>& x, DenseMatrix& covariance,
                     DenseMatrix* hessianOut);
    // Throws NR3::NRError (SingularHessian) when the Hessian gives no covariance.
    static void invertInto(const DenseMatrix& hessian, DenseMatrix& covariance);

    const std::atomic<bool>& m_cancelled;
    double m_step = 1e-5;
};

} // namespace lum
