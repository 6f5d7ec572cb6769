#pragma once

#include <atomic>
#include <vector>

namespace lum {

class Func;

// Newton's method with Levenberg damping on the sparse Hessian of a function with a term
// structure and an exact gradient (SparseHessian). Each iteration factors H + λI by a sparse
// LDLᵀ, raising λ until the factor is positive definite, and accepts the step only when it
// lowers the value; λ follows how well the quadratic model predicted the decrease. Near the
// optimum λ is 0 and the iterations converge quadratically, so their number does not grow with
// the number of parameters the way a quasi-Newton method's does.
//
// Memory: the Hessian's pattern and its factor, which for terms that share few parameters
// grow with the pairs of parameters that share a term.
class NewtonMinimizer
{
public:
    NewtonMinimizer(Func& func, const std::atomic<bool>& cancelled, int maxIterations,
                    double gradConv);

    // Minimises from x (replaced by the result) with fx = f(x). Returns the iteration count.
    // Throws NR3::NRError "too many iterations in Newton" (code IterationLimit), or when the
    // function has no exact gradient.
    int minimize(std::vector<double>& x, double fx);

private:
    Func& m_func;
    const std::atomic<bool>& m_cancelled;
    int m_maxIterations;
    double m_gradConv;
};

} // namespace lum
