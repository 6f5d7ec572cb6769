#pragma once

#include "lum/estimation/DenseMatrix.h"

#include <atomic>
#include <vector>

namespace lum {

class Func;

// The Hessian of a function by central differences with relative steps h_i = x_i * step
// (a component equal to 0 gets no step, and its row is not finite). Element (i, j) evaluates
// only the terms that both parameters enter; two parameters that share no term give 0 without
// any evaluation. Without a term structure this costs 1 + 2n + 2n(n-1) evaluations.
//
// A function with an exact gradient (Func::hasExactGradient()) is differenced once instead of
// twice: column i is the central difference of the gradient of the terms of parameter i along
// the same step h_i, and the matrix is made symmetric by averaging it with its transpose. That
// is 2n gradients instead of 2n^2 values, and its error is that of one difference instead of
// two.
class NumericalHessian
{
public:
    NumericalHessian(const std::atomic<bool>& cancelled, double step);

    // Fills hessian (resized to n x n) at x. Polls `cancelled` before every element and returns
    // false, with the hessian incomplete, once it is true.
    bool compute(Func& func, const std::vector<double>& x, DenseMatrix& hessian);

private:
    bool fromGradient(Func& func, const std::vector<double>& x, DenseMatrix& hessian);

    const std::atomic<bool>& m_cancelled;
    double m_step;
};

} // namespace lum
