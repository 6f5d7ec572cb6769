#pragma once

#include <atomic>
#include <memory>
#include <vector>

namespace lum {

class Func;
struct HessianSeed;

// Newton's method with Levenberg damping on the sparse Hessian of a function with a term
// structure and an exact gradient (SparseHessian). Each iteration factors H + λI by a sparse
// LDLᵀ, raising λ until the factor is positive definite, and accepts the step only when it
// lowers the value; λ follows how well the quadratic model predicted the decrease. Near the
// optimum λ is 0 and the iterations converge quadratically, so their number does not grow with
// the number of parameters the way a quasi-Newton method's does.
//
// Memory: the Hessian's pattern and its factor, which for terms that share few parameters
// grow with the pairs of parameters that share a term.
//
// A run may keep its curvature (Curvature), for a sequence of nearby problems of one
// structure such as the fits of a profile likelihood: it starts with the factored Hessian the
// run before left and takes its steps on the last factor for as long as they lower the value,
// computing the Hessian at its point only when a step fails, or stalls where the factor's
// model did not predict the decrease. A Hessian costs as many
// gradients as the terms' parameters, a step on a kept factor one. The stopping tests are the same
// either way, so the run ends at the same minimum.
class NewtonMinimizer
{
public:
    // The last factored Hessian of a run, for the next run to start with.
    class Curvature;
    struct CurvatureDeleter
    {
        void operator()(Curvature* curvature) const;
    };
    using KeptCurvature = std::unique_ptr<Curvature, CurvatureDeleter>;
    static KeptCurvature newCurvature();
    // The Hessian a run with `kept` starts from when `kept` holds no factor of its pattern.
    static void seed(Curvature& kept, const HessianSeed& seed);

    // `kept` (borrowed, may be null) is read at the start of a run when its Hessian has the
    // pattern of this function's, and receives the run's last factored Hessian.
    NewtonMinimizer(Func& func, const std::atomic<bool>& cancelled, int maxIterations,
                    double gradConv, Curvature* kept = nullptr);

    // Minimises from x (replaced by the result) with fx = f(x). Returns the iteration count.
    // Throws NR3::NRError "too many iterations in Newton" (code IterationLimit), or when the
    // function has no exact gradient.
    int minimize(std::vector<double>& x, double fx);

private:
    Func& m_func;
    const std::atomic<bool>& m_cancelled;
    int m_maxIterations;
    double m_gradConv;
    Curvature* m_kept = nullptr;
};

} // namespace lum
