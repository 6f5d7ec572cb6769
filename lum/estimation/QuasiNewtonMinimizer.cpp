#include "lum/estimation/QuasiNewtonMinimizer.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lum {

namespace {

constexpr double EPS = 2.220446049250313e-16;
constexpr double LARGEST = std::numeric_limits<double>::max();
// With an exact gradient: an iteration that lowers the value by less than this share of it
// ends the run (the "moderate accuracy" of factr = 1e7 in L-BFGS-B).
constexpr double STALLED = 1e-9;

double dot(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] * b[i];
    return sum;
}

} // namespace

QuasiNewtonMinimizer::QuasiNewtonMinimizer(Func& func, const std::atomic<bool>& cancelled,
                                           int maxIterations, double gradConv)
    : m_func(func), m_cancelled(cancelled), m_maxIterations(maxIterations), m_gradConv(gradConv)
{
}

int QuasiNewtonMinimizer::minimize(std::vector<double>& x, double fx)
{
    constexpr double TOLX = 4.0 * EPS;
    constexpr double STPMX = 100.0;
    const std::size_t n = x.size();
    const int size = static_cast<int>(n);

    double fp = fx;
    const bool exact = m_func.hasExactGradient();
    m_func.gradient(x, m_gradient);
    m_inverseHessian = DenseMatrix::identity(size);
    m_direction.resize(n);
    m_newPoint.resize(n);
    m_gradientChange.resize(n);
    m_hdg.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        m_direction[i] = -m_gradient[i];
    // At an exact stationary point (or without parameters) there is no descent direction, and
    // the line search would report that as a roundoff problem.
    if (std::all_of(m_gradient.begin(), m_gradient.end(), [](double gi) { return gi == 0.0; }))
        return 1;
    const double stpmax = STPMX * std::max(std::sqrt(dot(x, x)), static_cast<double>(n));

    for (int its = 0; its < m_maxIterations; ++its) {
        if (m_cancelled)
            return its + 1;
        double fret = fp;
        lineSearch(x, fp, stpmax, fret);
        // An exact gradient keeps finding descent along weakly determined directions, by
        // amounts no estimate would show; differences stop there by themselves.
        const bool stalled = exact && fp - fret <= STALLED * std::max(std::abs(fp), 1.0);
        fp = fret;
        for (std::size_t i = 0; i < n; ++i) {
            m_direction[i] = m_newPoint[i] - x[i]; // the step taken
            x[i] = m_newPoint[i];
        }
        if (largestRelative(m_direction, x) < TOLX || stalled)
            return its + 1;

        m_gradientChange = m_gradient;
        m_func.gradient(x, m_gradient);
        double test = 0.0;
        const double denominator = std::max(fret, 1.0);
        for (std::size_t i = 0; i < n; ++i)
            test = std::max(test,
                            std::abs(m_gradient[i]) * std::max(std::abs(x[i]), 1.0) / denominator);
        if (test < m_gradConv)
            return its + 1;

        for (std::size_t i = 0; i < n; ++i)
            m_gradientChange[i] = m_gradient[i] - m_gradientChange[i];
        updateInverseHessian();
        for (int i = 0; i < size; ++i) {
            const double* row = m_inverseHessian.row(i);
            double sum = 0.0;
            for (std::size_t j = 0; j < n; ++j)
                sum -= row[j] * m_gradient[j];
            m_direction[static_cast<std::size_t>(i)] = sum;
        }
    }
    throw NR3::NRError("too many iterations in dfpmin", NR3::NRError::IterationLimit);
}

// BFGS update of the inverse Hessian from the step (m_direction) and the gradient change,
// skipped when the curvature along the step is not clearly positive.
void QuasiNewtonMinimizer::updateInverseHessian()
{
    const std::size_t n = m_direction.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double* row = m_inverseHessian.row(static_cast<int>(i));
        double sum = 0.0;
        for (std::size_t j = 0; j < n; ++j)
            sum += row[j] * m_gradientChange[j];
        m_hdg[i] = sum;
    }
    double fac = dot(m_gradientChange, m_direction);
    const double fae = dot(m_gradientChange, m_hdg);
    const double sumdg = dot(m_gradientChange, m_gradientChange);
    const double sumxi = dot(m_direction, m_direction);
    if (!(fac > std::sqrt(EPS * sumdg * sumxi)))
        return;
    fac = 1.0 / fac;
    const double fad = 1.0 / fae;
    std::vector<double>& u = m_gradientChange; // reused for the third vector of the update
    for (std::size_t i = 0; i < n; ++i)
        u[i] = fac * m_direction[i] - fad * m_hdg[i];
    for (std::size_t i = 0; i < n; ++i) {
        double* row = m_inverseHessian.row(static_cast<int>(i));
        for (std::size_t j = 0; j < n; ++j)
            row[j] += fac * m_direction[i] * m_direction[j] - fad * m_hdg[i] * m_hdg[j] +
                      fae * u[i] * u[j];
    }
}

// Backtracking along m_direction from xold: the full step first, then quadratic and cubic
// models of the value, each new step between 0.1 and 0.5 times the previous one. Leaves the
// accepted point in m_newPoint (xold when the step became negligible) and its value in f.
void QuasiNewtonMinimizer::lineSearch(const std::vector<double>& xold, double fold, double stpmax,
                                      double& f)
{
    constexpr double ALF = 1.0e-4;
    const std::size_t n = xold.size();
    const double length = std::sqrt(dot(m_direction, m_direction));
    if (length > stpmax)
        for (double& d : m_direction)
            d *= stpmax / length;
    const double slope = dot(m_gradient, m_direction);
    if (slope >= 0.0)
        throw NR3::NRError("Roundoff problem in lnsrch.");
    const double alamin = EPS / largestRelative(m_direction, xold);
    double alam = 1.0;
    double alam2 = 0.0;
    double f2 = 0.0;
    while (true) {
        for (std::size_t i = 0; i < n; ++i)
            m_newPoint[i] = xold[i] + alam * m_direction[i];
        f = m_func.countedValue(m_newPoint);
        if (alam < alamin) {
            m_newPoint = xold;
            f = fold;
            return;
        }
        if (f <= fold + ALF * alam * slope)
            return;
        double tmplam = 0.0;
        if (f == LARGEST || (alam != 1.0 && f2 == LARGEST)) {
            tmplam = 0.1 * alam; // a bad point says nothing about the shape of the function
        } else if (alam == 1.0) {
            tmplam = -slope / (2.0 * (f - fold - slope));
        } else {
            const double rhs1 = f - fold - alam * slope;
            const double rhs2 = f2 - fold - alam2 * slope;
            const double a = (rhs1 / (alam * alam) - rhs2 / (alam2 * alam2)) / (alam - alam2);
            const double b =
                (-alam2 * rhs1 / (alam * alam) + alam * rhs2 / (alam2 * alam2)) / (alam - alam2);
            if (a == 0.0) {
                tmplam = -slope / (2.0 * b);
            } else {
                const double disc = b * b - 3.0 * a * slope;
                if (disc < 0.0)
                    tmplam = 0.5 * alam;
                else if (b <= 0.0)
                    tmplam = (-b + std::sqrt(disc)) / (3.0 * a);
                else
                    tmplam = -slope / (b + std::sqrt(disc));
            }
            if (tmplam > 0.5 * alam)
                tmplam = 0.5 * alam;
        }
        alam2 = alam;
        f2 = f;
        alam = (std::isfinite(tmplam) && tmplam > 0.1 * alam) ? tmplam : 0.1 * alam;
    }
}

double QuasiNewtonMinimizer::largestRelative(const std::vector<double>& v,
                                             const std::vector<double>& x) const
{
    double largest = 0.0;
    for (std::size_t i = 0; i < v.size(); ++i)
        largest = std::max(largest, std::abs(v[i]) / std::max(std::abs(x[i]), 1.0));
    return largest;
}

} // namespace lum
