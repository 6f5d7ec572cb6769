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
// A kept factor whose step gains less than this share of the decrease its model promised is
// not trusted to have stalled at the minimum.
constexpr double KEPT_RATIO = 0.5;
// Steps on a kept factor after which it is replaced by the Hessian at the point reached: a
// Hessian of a large block costs hundreds of gradients.
constexpr int KEPT_STEPS = 30;
// A fresh factor whose step gained at least this share of what it promised takes one more step.
constexpr double REUSE_RATIO = 0.5;
// The damping that is given up on: the step is then below rounding everywhere.
constexpr double HOPELESS = 1e20;

} // namespace

// The Hessian of the last factored point, H + λI with its pattern analysed, and its factor.
class NewtonMinimizer::Curvature
{
public:
    SparseHessian::Matrix hessian;
    SparseHessian::Matrix damped;
    Eigen::SimplicialLDLT<SparseHessian::Matrix, Eigen::Lower, Eigen::AMDOrdering<int>> ldlt;
    std::vector<int> diagonal; // positions of the diagonal in the matrix's values
    double scale = 0.0;        // the largest diagonal element of the Hessian
    double lambda = 0.0;       // the damping of the factor
    bool factored = false;
    HessianSeed seed; // for the next run that finds no factor of its pattern

    // The pattern of h, its diagonal's positions, and the factor's analysis of it.
    void analyse(const SparseHessian::Matrix& h)
    {
        damped = h;
        ldlt.analyzePattern(damped);
        const int size = static_cast<int>(h.cols());
        diagonal.resize(static_cast<std::size_t>(size));
        for (int j = 0; j < size; ++j)
            for (int p = h.outerIndexPtr()[j]; p < h.outerIndexPtr()[j + 1]; ++p)
                if (h.innerIndexPtr()[p] == j)
                    diagonal[static_cast<std::size_t>(j)] = p;
    }

    void rescale(const SparseHessian::Matrix& h)
    {
        scale = 0.0;
        for (const int p : diagonal)
            scale = std::max(scale, std::abs(h.valuePtr()[p]));
    }

    // Takes the seed's values on the pattern of h into the kept Hessian; false when there is
    // no seed for h's parameters. The seed stays for the runs that follow one that ended
    // before it factored anything (a run that starts at its minimum).
    bool takeSeed(const SparseHessian::Matrix& h)
    {
        const HessianSeed& taken = seed;
        if (!taken.matrix || taken.index.size() != static_cast<std::size_t>(h.cols()))
            return false;
        const SparseHessian::Matrix& from = *taken.matrix;
        for (const int i : taken.index)
            if (i < 0 || i >= from.cols())
                return false;
        hessian = h;
        for (int j = 0; j < static_cast<int>(h.cols()); ++j) {
            const int column = taken.index[static_cast<std::size_t>(j)];
            for (int p = h.outerIndexPtr()[j]; p < h.outerIndexPtr()[j + 1]; ++p) {
                const int row = taken.index[static_cast<std::size_t>(h.innerIndexPtr()[p])];
                hessian.valuePtr()[p] = from.coeff(row, column);
            }
        }
        analyse(hessian);
        rescale(hessian);
        lambda = 0.0;
        return true;
    }

    // Whether the kept Hessian has the pattern of `h`, the next run's.
    bool fits(const SparseHessian::Matrix& h) const
    {
        if (!factored || hessian.rows() != h.rows() || hessian.nonZeros() != h.nonZeros())
            return false;
        const int columns = static_cast<int>(h.cols());
        return std::equal(h.outerIndexPtr(), h.outerIndexPtr() + columns + 1,
                          hessian.outerIndexPtr()) &&
               std::equal(h.innerIndexPtr(), h.innerIndexPtr() + h.nonZeros(),
                          hessian.innerIndexPtr());
    }
};

void NewtonMinimizer::CurvatureDeleter::operator()(Curvature* curvature) const
{
    delete curvature;
}

NewtonMinimizer::KeptCurvature NewtonMinimizer::newCurvature()
{
    return KeptCurvature(new Curvature);
}

void NewtonMinimizer::seed(Curvature& kept, const HessianSeed& seed)
{
    kept.seed = seed;
}

std::shared_ptr<const SparseHessian::Matrix> newtonHessian(Func& func, const std::vector<double>& x,
                                                           const std::atomic<bool>& cancelled)
{
    SparseHessian hessian(func, static_cast<int>(x.size()));
    if (!hessian.compute(x, HESSIAN_STEP, SparseHessian::Step::RelativeFromOne, cancelled,
                         SparseHessian::Differences::Forward))
        return nullptr;
    return std::make_shared<const SparseHessian::Matrix>(hessian.matrix());
}

NewtonMinimizer::NewtonMinimizer(Func& func, const std::atomic<bool>& cancelled, int maxIterations,
                                 double gradConv, Curvature* kept)
    : m_func(func), m_cancelled(cancelled), m_maxIterations(maxIterations), m_gradConv(gradConv),
      m_kept(kept)
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
    Curvature own;
    Curvature& c = m_kept ? *m_kept : own;
    // Whether the steps are taken on a factor an earlier run left.
    bool borrowed = c.fits(hessian.matrix());
    // A seed stands in for the run's first Hessian: it still has to be factored.
    bool seeded = false;
    if (!borrowed) {
        c.factored = false;
        c.diagonal.clear();
        seeded = m_kept && c.takeSeed(hessian.matrix());
    }
    // The Hessian of the factor: a run that keeps its curvature holds a copy, which outlives
    // the run; one that does not reads the assembled one, and the Hessian is not held twice.
    borrowed = borrowed || seeded;
    const SparseHessian::Matrix* hp = borrowed ? &c.hessian : &hessian.matrix();

    std::vector<double> g;
    std::vector<double> trial(n);
    double f = fx;
    double lambda = borrowed ? c.lambda : 0.0;
    // Whether the Hessian is from an earlier point, and whether H + λI is factored.
    bool stale = !borrowed;
    bool factored = borrowed && !seeded;
    int keptSteps = 0;
    // Whether the factor is this run's from the point before, for one more step.
    bool reusing = false;
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
                const SparseHessian::Matrix& h = hessian.matrix();
                if (!hessian.compute(x, HESSIAN_STEP, SparseHessian::Step::RelativeFromOne,
                                     m_cancelled, SparseHessian::Differences::Forward))
                    return its + 1;
                if (m_kept) {
                    c.hessian = hessian.matrix();
                    hp = &c.hessian;
                } else {
                    hp = &hessian.matrix();
                }
                if (c.diagonal.empty())
                    c.analyse(h);
                c.rescale(h);
                stale = false;
                factored = false;
                borrowed = false;
            }
            const double smallest = 1e-8 * std::max(c.scale, 1e-8);
            if (used > HOPELESS * std::max(c.scale, 1.0))
                return its + 1; // no step lowers the value: x is the minimum to rounding
            if (!factored) {
                std::copy(hp->valuePtr(), hp->valuePtr() + hp->nonZeros(), c.damped.valuePtr());
                for (const int p : c.diagonal)
                    c.damped.valuePtr()[p] += used;
                c.factored = false;
                c.ldlt.factorize(c.damped);
                bool definite = c.ldlt.info() == Eigen::Success;
                if (definite) {
                    const Vector& d = c.ldlt.vectorD();
                    const double largest = d.cwiseAbs().maxCoeff();
                    definite = std::isfinite(largest) && d.minCoeff() > 1e-14 * largest;
                }
                if (!definite) {
                    used = std::max(4.0 * used, smallest);
                    continue;
                }
                factored = true;
                c.factored = true;
                c.lambda = used;
            }
            Vector step = -c.ldlt.solve(gradient);
            const double longest = step.cwiseAbs().maxCoeff();
            if (!std::isfinite(longest) && borrowed) {
                stale = true;
                continue;
            }
            if (!std::isfinite(longest)) {
                used = std::max(4.0 * used, smallest);
                factored = false;
                continue;
            }
            if (longest > LONGEST_STEP)
                step *= LONGEST_STEP / longest;
            promised = -(gradient.dot(step) + 0.5 * step.dot(*hp * step));
            for (std::size_t i = 0; i < n; ++i)
                trial[i] = x[i] + step[static_cast<int>(i)];
            const double value = m_func.countedValue(trial);
            if (!(value < f)) {
                // A kept factor that misleads is replaced by the Hessian here.
                if (borrowed || reusing) {
                    reusing = false;
                    stale = true;
                    continue;
                }
                used = std::max(10.0 * used, smallest);
                factored = false;
                continue;
            }
            gained = f - value;
            accepted = true;
            x.swap(trial);
            f = value;
            const double ratio = promised > 0.0 ? gained / promised : 0.0;
            const bool stalled = gained <= STALLED * std::max(std::abs(f), 1.0);
            if (reusing) {
                // Its gains, small or not, end nothing: the next step has a Hessian again.
                reusing = false;
                stale = true;
                gained = std::numeric_limits<double>::infinity();
                break;
            }
            if (borrowed) {
                // Where its model of the decrease does not hold, the kept factor's small gains
                // do not end the run; after many steps it has converged too slowly to keep.
                if ((stalled && ratio < KEPT_RATIO) || ++keptSteps > KEPT_STEPS) {
                    stale = true;
                    gained = std::numeric_limits<double>::infinity();
                }
                break;
            }
            if (ratio > 0.75) {
                lambda = used / 4.0 < smallest ? 0.0 : used / 4.0;
            } else if (ratio < 0.25) {
                lambda = std::max(4.0 * used, smallest);
            } else {
                lambda = used;
            }
            // A run that keeps its curvature goes on with this factor: a step on it costs a
            // gradient, a Hessian as many as the terms' parameters.
            if (m_kept && !stalled) {
                borrowed = true;
                keptSteps = 0;
            } else if (!stalled && ratio > REUSE_RATIO) {
                // Where the model held, its factor serves one more step from the point reached,
                // for a gradient instead of a Hessian: two steps per Hessian, and the pair still
                // converges faster than one Newton step.
                reusing = true;
            } else {
                stale = true;
            }
        }
        if (gained <= STALLED * std::max(std::abs(f), 1.0))
            return its + 1;
        m_func.gradient(x, g);
    }
    throw NR3::NRError("too many iterations in Newton", NR3::NRError::IterationLimit);
}

} // namespace lum
