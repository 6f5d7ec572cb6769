#pragma once

#include "lum/estimation/DenseMatrix.h"

#include <atomic>
#include <vector>

namespace lum {

class Func;

// The BFGS quasi-Newton method on the inverse Hessian with a backtracking line search; the
// gradient comes from Func::gradient().
class QuasiNewtonMinimizer
{
public:
    QuasiNewtonMinimizer(Func& func, const std::atomic<bool>& cancelled, int maxIterations,
                         double gradConv);

    // Minimises from x (replaced by the result) with fx = f(x). Returns the iteration count to
    // report. Throws NR3::NRError "too many iterations in dfpmin" (code IterationLimit)
    // or "Roundoff problem in lnsrch.".
    int minimize(std::vector<double>& x, double fx);

private:
    void lineSearch(const std::vector<double>& xold, double fold, double stpmax, double& f);
    void updateInverseHessian();
    double largestRelative(const std::vector<double>& v, const std::vector<double>& x) const;

    Func& m_func;
    const std::atomic<bool>& m_cancelled;
    int m_maxIterations;
    double m_gradConv;

    DenseMatrix m_inverseHessian;
    std::vector<double> m_gradient;
    std::vector<double> m_gradientChange;
    std::vector<double> m_hdg;
    std::vector<double> m_direction;
    std::vector<double> m_newPoint;
};

} // namespace lum
