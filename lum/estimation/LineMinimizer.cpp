#include "lum/estimation/LineMinimizer.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace lum {

namespace {

constexpr double LARGEST = std::numeric_limits<double>::max();
// Relative differences of values below this are rounding, not slope.
constexpr double FLAT_TOLERANCE = 1e-13;
// 0.9 doubled this often reaches about 1900, beyond where a logistic is 0 or 1 to double
// precision.
constexpr int PLATEAU_DOUBLINGS = 11;

double withSignOf(double magnitude, double sign)
{
    return sign >= 0.0 ? std::abs(magnitude) : -std::abs(magnitude);
}

} // namespace

LineMinimizer::LineMinimizer(Func& func, const std::atomic<bool>& cancelled)
    : m_func(func), m_cancelled(cancelled)
{
}

double LineMinimizer::minimize(std::vector<double>& x, std::vector<double>& xi, double fx)
{
    m_origin = &x;
    m_direction = &xi;
    m_trial.resize(x.size());

    // A step of 1 is often far too long for probabilities; the likelihood answers a point
    // outside its domain with the largest double, which defeats the parabolic steps, so the
    // second start point is halved until it is a proper point.
    Bracket b;
    double second = 0.9;
    bool cancelled = false;
    while (true) {
        const bool proper = bracket(0.0, fx, second, b);
        cancelled = m_cancelled;
        if (cancelled || proper || fx == LARGEST)
            break;
        second *= 0.5;
    }

    bool move = !cancelled;
    if (move && isFlat(b, fx))
        move = leavePlateau(fx, b);

    double fmin = fx;
    const double step = move ? brent(b, fmin) : 0.0;
    for (std::size_t j = 0; j < x.size(); ++j) {
        xi[j] *= step;
        x[j] += xi[j];
    }
    return fmin;
}

// All three points of the bracket at the start value, up to rounding: the line lies on a
// plateau (a function that flattens towards a bound, such as a logistic far out), where the
// bracket says nothing about where the function falls.
bool LineMinimizer::isFlat(const Bracket& b, double fx)
{
    const double noise = FLAT_TOLERANCE * (std::abs(fx) + 1.0);
    return fx != LARGEST && std::abs(b.fa - fx) <= noise && std::abs(b.fb - fx) <= noise &&
           std::abs(b.fc - fx) <= noise;
}

// Steps out from a plateau, doubling the step and trying both ways, until a value clearly
// below the start is found, and brackets from there. Returns false (no move) when the line is
// flat or rising as far as the steps reach; the bracket is then the start point alone.
bool LineMinimizer::leavePlateau(double fx, Bracket& b)
{
    const double noise = FLAT_TOLERANCE * (std::abs(fx) + 1.0);
    double step = 0.9;
    for (int k = 0; k < PLATEAU_DOUBLINGS; ++k) {
        step *= 2.0;
        for (const double t : {step, -step}) {
            if (m_cancelled)
                return false;
            const double ft = valueAt(t);
            if (ft < fx - noise) {
                bracket(0.0, fx, t, b);
                return !m_cancelled;
            }
        }
    }
    b = Bracket{0.0, 0.0, 0.0, fx, fx, fx};
    return false;
}

double LineMinimizer::valueAt(double t)
{
    const std::vector<double>& x = *m_origin;
    const std::vector<double>& xi = *m_direction;
    for (std::size_t j = 0; j < x.size(); ++j)
        m_trial[j] = x[j] + t * xi[j];
    return m_func.countedValue(m_trial);
}

// Golden-ratio bracketing with parabolic extrapolation. Returns false, without bracketing,
// when the second start point is a bad point of the objective.
bool LineMinimizer::bracket(double start, double fStart, double second, Bracket& b)
{
    constexpr double GOLD = 1.618034;
    constexpr double GLIMIT = 100.0;
    constexpr double TINY = 1.0e-20;

    b.ax = start;
    b.fa = fStart;
    b.bx = second;
    b.fb = valueAt(b.bx);
    if (b.fb == LARGEST && fStart != LARGEST)
        return false;
    if (b.fb > b.fa) {
        std::swap(b.ax, b.bx);
        std::swap(b.fa, b.fb);
    }
    b.cx = b.bx + GOLD * (b.bx - b.ax);
    b.fc = valueAt(b.cx);
    while (b.fb > b.fc) {
        const double r = (b.bx - b.ax) * (b.fb - b.fc);
        const double q = (b.bx - b.cx) * (b.fb - b.fa);
        double u = b.bx - ((b.bx - b.cx) * q - (b.bx - b.ax) * r) /
                              (2.0 * withSignOf(std::max(std::abs(q - r), TINY), q - r));
        const double ulim = b.bx + GLIMIT * (b.cx - b.bx);
        double fu = 0.0;
        if ((b.bx - u) * (u - b.cx) > 0.0) {
            fu = valueAt(u);
            if (fu < b.fc) {
                b.ax = b.bx;
                b.bx = u;
                b.fa = b.fb;
                b.fb = fu;
                return true;
            }
            if (fu > b.fb) {
                b.cx = u;
                b.fc = fu;
                return true;
            }
            u = b.cx + GOLD * (b.cx - b.bx);
            fu = valueAt(u);
        } else if ((b.cx - u) * (u - ulim) > 0.0) {
            fu = valueAt(u);
            if (fu < b.fc) {
                b.bx = b.cx;
                b.cx = u;
                u = b.cx + GOLD * (b.cx - b.bx);
                b.fb = b.fc;
                b.fc = fu;
                fu = valueAt(u);
            }
        } else if ((u - ulim) * (ulim - b.cx) >= 0.0) {
            u = ulim;
            fu = valueAt(u);
        } else {
            u = b.cx + GOLD * (b.cx - b.bx);
            fu = valueAt(u);
        }
        b.ax = b.bx;
        b.bx = b.cx;
        b.cx = u;
        b.fa = b.fb;
        b.fb = b.fc;
        b.fc = fu;
    }
    return true;
}

// Brent's method on a bracket; returns the abscissa of the minimum (0 when cancelled) and
// stores the value there in fmin.
double LineMinimizer::brent(const Bracket& b, double& fmin)
{
    constexpr int ITMAX = 100;
    constexpr double CGOLD = 0.381966;
    constexpr double ZEPS = 2.220446049250313e-19;
    constexpr double TOL = 3.0e-8;

    double a = std::min(b.ax, b.cx);
    double c = std::max(b.ax, b.cx);
    double x = b.bx;
    double w = x;
    double v = x;
    double fx = b.fb;
    double fw = fx;
    double fv = fx;
    double d = 0.0;
    double e = 0.0;
    for (int iter = 0; iter < ITMAX; ++iter) {
        if (m_cancelled)
            return 0.0;
        const double xm = 0.5 * (a + c);
        const double tol1 = TOL * std::abs(x) + ZEPS;
        const double tol2 = 2.0 * tol1;
        if (std::abs(x - xm) <= (tol2 - 0.5 * (c - a))) {
            fmin = fx;
            return x;
        }
        bool golden = true;
        if (std::abs(e) > tol1) { // try a parabolic fit
            const double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0)
                p = -p;
            q = std::abs(q);
            const double etemp = e;
            e = d;
            if (!(std::abs(p) >= std::abs(0.5 * q * etemp) || p <= q * (a - x) ||
                  p >= q * (c - x))) {
                golden = false;
                d = p / q;
                const double u = x + d;
                if (u - a < tol2 || c - u < tol2)
                    d = withSignOf(tol1, xm - x);
            }
        }
        if (golden) {
            e = (x >= xm) ? a - x : c - x;
            d = CGOLD * e;
        }
        const double u = (std::abs(d) >= tol1) ? x + d : x + withSignOf(tol1, d);
        const double fu = valueAt(u);
        if (fu <= fx) {
            if (u >= x)
                a = x;
            else
                c = x;
            v = w;
            w = x;
            x = u;
            fv = fw;
            fw = fx;
            fx = fu;
        } else {
            if (u < x)
                a = u;
            else
                c = u;
            if (fu <= fw || w == x) {
                v = w;
                w = u;
                fv = fw;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    throw NR3::NRError("Too many iterations in brent");
}

} // namespace lum
