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
class NumericalHessian
{
public:
    NumericalHessian(const std::atomic<bool>& cancelled, double step);

    // Fills hessian (resized to n x n) at x. Polls `cancelled` before every element and returns
    // false, with the hessian incomplete, once it is true.
    bool compute(Func& func, const std::vector<double>& x, DenseMatrix& hessian);

private:
    const std::atomic<bool>& m_cancelled;
    double m_step;
};

} // namespace lum
