#include "lum/estimation/NewtonMinimizer.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/SparseHessian.h"

#include <Eigen/SparseCholesky>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lum {

namespace {

// The relative difference step of the Hessian in the coordinates.
constexpr double HESSIAN_STEP = 1e-5;
// A step that gains less than this share ends the run, as the quasi-Newton method's stall
// test does: undamped, what is left is far smaller still; damped, the rest lies
// along directions the data barely inform.
constexpr double STALLED = 1e-9;
// No coordinate moves by more than this in one step: the quadratic model is not trusted to
// send a probability from the middle of its range to within e^-10 of a bound at once.
constexpr double LONGEST_STEP = 10.0;
// The damping that is given up on: the step is then below rounding everywhere.
constexpr double HOPELESS = 1e20;

} // namespace

NewtonMinimizer::NewtonMinimizer(Func& func, const std::atomic<bool>& cancelled, int maxIterations,
                                 double gradConv)
    : m_func(func), m_cancelled(cancelled), m_maxIterations(maxIterations), m_gradConv(gradConv)
{
}

int NewtonMinimizer::minimize(std::vector<double>& x, double fx)
{
    if (!m_func.hasExactGradient())
        throw NR3::NRError("the Newton optimizer needs the exact gradient");
    const std::size_t n = x.size();
    const int size = static_cast<int>(n);
    if (n == 0)
        return 0;
    SparseHessian hessian(m_func, size);
    using Vector = Eigen::VectorXd;
    Eigen::SimplicialLDLT<SparseHessian::Matrix, Eigen::Lower, Eigen::AMDOrdering<int>> ldlt;
    SparseHessian::Matrix damped;
    std::vector<int> diagonal; // positions of the diagonal in the matrix's values
    const SparseHessian::Matrix& h = hessian.matrix();

    std::vector<double> g;
    std::vector<double> trial(n);
    double f = fx;
    double lambda = 0.0;
    double scale = 0.0;
    // Whether the Hessian is from an earlier point, and whether H + λI is factored.
    bool stale = true;
    bool factored = false;
    m_func.gradient(x, g);
    for (int its = 0; its < m_maxIterations; ++its) {
        if (m_cancelled)
            return its + 1;
        double test = 0.0;
        const double denominator = std::max(f, 1.0);
        for (std::size_t i = 0; i < n; ++i)
            test = std::max(test, std::abs(g[i]) * std::max(std::abs(x[i]), 1.0) / denominator);
        if (test < m_gradConv)
            return its + 1;

        const Eigen::Map<const Vector> gradient(g.data(), size);
        bool accepted = false;
        double gained = 0.0;
        double promised = 0.0;
        double used = lambda;
        while (!accepted) {
            if (m_cancelled)
                return its + 1;
            if (stale) {
                if (!hessian.compute(x, HESSIAN_STEP, SparseHessian::Step::RelativeFromOne,
                                     m_cancelled))
                    return its + 1;
                if (diagonal.empty()) {
                    damped = h;
                    ldlt.analyzePattern(damped);
                    diagonal.resize(n);
                    for (int j = 0; j < size; ++j)
                        for (int p = h.outerIndexPtr()[j]; p < h.outerIndexPtr()[j + 1]; ++p)
                            if (h.innerIndexPtr()[p] == j)
                                diagonal[static_cast<std::size_t>(j)] = p;
                }
                scale = 0.0;
                for (const int p : diagonal)
                    scale = std::max(scale, std::abs(h.valuePtr()[p]));
                stale = false;
                factored = false;
            }
            const double smallest = 1e-8 * std::max(scale, 1e-8);
            if (used > HOPELESS * std::max(scale, 1.0))
                return its + 1; // no step lowers the value: x is the minimum to rounding
            if (!factored) {
                std::copy(h.valuePtr(), h.valuePtr() + h.nonZeros(), damped.valuePtr());
                for (const int p : diagonal)
                    damped.valuePtr()[p] += used;
                ldlt.factorize(damped);
                bool definite = ldlt.info() == Eigen::Success;
                if (definite) {
                    const Vector& d = ldlt.vectorD();
                    const double largest = d.cwiseAbs().maxCoeff();
                    definite = std::isfinite(largest) && d.minCoeff() > 1e-14 * largest;
                }
                if (!definite) {
                    used = std::max(4.0 * used, smallest);
                    continue;
                }
                factored = true;
            }
            Vector step = -ldlt.solve(gradient);
            const double longest = step.cwiseAbs().maxCoeff();
            if (!std::isfinite(longest)) {
                used = std::max(4.0 * used, smallest);
                factored = false;
                continue;
            }
            if (longest > LONGEST_STEP)
                step *= LONGEST_STEP / longest;
            promised = -(gradient.dot(step) + 0.5 * step.dot(h * step));
            for (std::size_t i = 0; i < n; ++i)
                trial[i] = x[i] + step[static_cast<int>(i)];
            const double value = m_func.countedValue(trial);
            if (!(value < f)) {
                used = std::max(10.0 * used, smallest);
                factored = false;
                continue;
            }
            gained = f - value;
            accepted = true;
            x.swap(trial);
            f = value;
            const double ratio = promised > 0.0 ? gained / promised : 0.0;
            if (ratio > 0.75) {
                lambda = used / 4.0 < smallest ? 0.0 : used / 4.0;
            } else if (ratio < 0.25) {
                lambda = std::max(4.0 * used, smallest);
            } else {
                lambda = used;
            }
            stale = true;
        }
        if (gained <= STALLED * std::max(std::abs(f), 1.0))
            return its + 1;
        m_func.gradient(x, g);
    }
    throw NR3::NRError("too many iterations in Newton", NR3::NRError::IterationLimit);
}

} // namespace lum
