#include "lum/estimation/FletchMinimizer.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lum {

namespace {

constexpr int EXTENSION_EVALUATIONS = 100000;
constexpr int REDUCTION_EVALUATIONS = 1000000;
// With an exact gradient: an iteration that lowers the value by less than this share of it
// ends the mode (the "moderate accuracy" of factr = 1e7 in L-BFGS-B).
constexpr double STALLED = 1e-9;

double dot(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] * b[i];
    return sum;
}

} // namespace

FletchMinimizer::FletchMinimizer(Func& func, const std::atomic<bool>& cancelled,
                                 const Settings& settings)
    : m_func(func), m_cancelled(cancelled), m_settings(settings), m_evaluator(func),
      m_useExactGradient(func.hasExactGradient())
{
}

int FletchMinimizer::minimize(std::vector<double>& x, double fx)
{
    const std::size_t n = x.size();
    m_x = &x;
    m_f = fx;
    m_expectedReduction = 1.0;
    m_factors.setIdentity(static_cast<int>(n));
    m_gradient.assign(n, 0.0);
    m_previousGradient.assign(n, 0.0);
    m_direction.assign(n, 0.0);
    m_trial.assign(n, 0.0);
    m_correction.assign(n, 0.0);
    computeScales();

    int iterations = 0;
    for (const Mode mode : {Mode::Forward, Mode::Central}) {
        differences(mode);
        Outcome outcome = Outcome::Moved;
        while (outcome == Outcome::Moved) {
            if (iterations >= m_settings.maxIterations)
                outcome = Outcome::IterationLimit;
            else if (m_cancelled)
                outcome = Outcome::Cancelled;
            else {
                ++iterations;
                outcome = iterate(mode);
            }
        }
        if (outcome == Outcome::Cancelled || (outcome == Outcome::IterationLimit && m_cancelled))
            return iterations;
        if (outcome == Outcome::IterationLimit)
            throw NR3::NRError("Maximum number of iterations exceeded in fletch",
                               NR3::NRError::IterationLimit);
    }
    return iterations;
}

// Typical magnitudes of the components: the power of ten at or below |x| from 1 upwards,
// 0.5 below 1 (probabilities).
void FletchMinimizer::computeScales()
{
    const std::vector<double>& x = *m_x;
    m_scales.resize(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double magnitude = std::abs(x[i]);
        m_scales[i] = magnitude >= 1.0 ? std::pow(10.0, std::floor(std::log10(magnitude))) : 0.5;
    }
}

void FletchMinimizer::differences(Mode mode)
{
    const std::vector<double>& x = *m_x;
    if (m_useExactGradient) {
        // Exact in both modes: the central mode is then one more run from where the first
        // ended.
        m_func.gradient(x, m_gradient);
        return;
    }
    m_evaluator.moveTo(x);
    if (mode == Mode::Forward)
        m_evaluator.setKnownBase(m_f);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const int index = static_cast<int>(i);
        if (!m_evaluator.select(index)) {
            m_gradient[i] = 0.0;
            continue;
        }
        const double h = m_scales[i] * m_settings.stepSize;
        if (mode == Mode::Forward) {
            m_gradient[i] = (m_evaluator.valueWith(index, x[i] + h) - m_evaluator.baseValue()) / h;
        } else {
            const double up = m_evaluator.valueWith(index, x[i] + h);
            const double down = m_evaluator.valueWith(index, x[i] - h);
            m_gradient[i] = (up - down) / (2.0 * h);
        }
    }
}

FletchMinimizer::Outcome FletchMinimizer::iterate(Mode mode)
{
    m_factors.solve(m_gradient, m_direction);
    for (double& s : m_direction)
        s = -s;
    const double gs = dot(m_gradient, m_direction);
    if (gs >= 0.0)
        return Outcome::ModeEnded;
    // The decrease the quadratic model expects of a full step is -gs / 2. Differences stop
    // showing descent once it sinks into their rounding; an exact gradient shows descent far
    // below anything that matters (a parameter drifting along a flat bound keeps the search
    // going for ever), so the run ends where steps of the relative size `precision` could no
    // longer change the value.
    const double negligible =
        m_settings.precision * m_settings.precision * std::max(std::abs(m_f), 1.0);
    if (m_useExactGradient && -gs <= negligible)
        return Outcome::ModeEnded;

    double largest = 0.0;
    for (std::size_t i = 0; i < m_direction.size(); ++i)
        largest = std::max(largest, std::abs(m_direction[i]) / m_scales[i]);
    const double alphaMin = m_settings.precision / largest;
    const double alpha = std::min(1.0, -2.0 * m_expectedReduction / gs);

    const double fBefore = m_f;
    m_accumulatedStep = 0.0;
    const Outcome outcome = lineSearch(alpha, alphaMin);
    if (m_accumulatedStep > 0.0)
        m_expectedReduction = fBefore - m_f;
    if (outcome != Outcome::Moved)
        return outcome;
    // Along a weakly determined direction (parameters that trade off against each other, or
    // one drifting along a flat bound) an exact gradient keeps finding descent, and the search
    // creeps on by amounts no estimate would show.
    if (m_useExactGradient && fBefore - m_f <= STALLED * std::max(std::abs(fBefore), 1.0))
        return Outcome::ModeEnded;

    std::swap(m_previousGradient, m_gradient);
    differences(mode);
    const double dgs = dot(m_gradient, m_direction) - gs;
    if (dgs > 0.0)
        correctFactors(gs, dgs);
    return Outcome::Moved;
}

// Trial steps along the direction from the current point. A successful first trial is
// extended; an unsuccessful one is halved and then interpolated until a lower value is found or
// the step becomes too small to matter.
FletchMinimizer::Outcome FletchMinimizer::lineSearch(double alpha, double alphaMin)
{
    int evaluations = 0;
    while (true) {
        if (m_cancelled)
            return Outcome::Cancelled;
        if (evaluations > REDUCTION_EVALUATIONS)
            return Outcome::IterationLimit;
        const double f1 = valueAlong(alpha);
        ++evaluations;
        if (f1 < m_f) {
            const double fStart = m_f;
            acceptTrial(f1);
            m_accumulatedStep = alpha;
            return extend(alpha, fStart);
        }
        if (alpha < alphaMin)
            return Outcome::ModeEnded;
        alpha *= 0.5;
        if (m_cancelled)
            return Outcome::Cancelled;
        const double f2 = valueAlong(alpha);
        ++evaluations;
        if (f2 < m_f) {
            acceptTrial(f2);
            m_accumulatedStep = alpha;
            return m_accumulatedStep < alphaMin ? Outcome::ModeEnded : Outcome::Moved;
        }
        if (2.0 * f2 < m_f + f1)
            alpha *= std::max(0.1, 1.0 + 0.5 * (m_f - f1) / (m_f + f1 - 2.0 * f2));
        else
            alpha *= 0.1;
    }
}

// Keeps stepping while the value falls, doubling the step unless the last values show that the
// minimum along the line is near.
FletchMinimizer::Outcome FletchMinimizer::extend(double alpha, double fStart)
{
    int evaluations = 0;
    while (true) {
        if (m_cancelled)
            return Outcome::Cancelled;
        if (evaluations > EXTENSION_EVALUATIONS)
            return Outcome::IterationLimit;
        const double ft = valueAlong(alpha);
        ++evaluations;
        if (ft >= m_f)
            return Outcome::Moved;
        const bool nearMinimum = 2.0 * m_f < fStart + ft && 12.0 * m_f < 5.0 * fStart + 7.0 * ft;
        acceptTrial(ft);
        m_accumulatedStep += alpha;
        if (nearMinimum)
            return Outcome::Moved;
        alpha *= 2.0;
    }
}

double FletchMinimizer::valueAlong(double alpha)
{
    const std::vector<double>& x = *m_x;
    for (std::size_t i = 0; i < x.size(); ++i)
        m_trial[i] = x[i] + alpha * m_direction[i];
    return m_func.countedValue(m_trial);
}

void FletchMinimizer::acceptTrial(double value)
{
    std::swap(*m_x, m_trial);
    m_f = value;
}

// BFGS correction of B = L D L^T for the step A s and the gradient change g - g0, applied as two
// rank-one corrections, the positive one first.
void FletchMinimizer::correctFactors(double gs, double dgs)
{
    const double a = m_accumulatedStep;
    const std::size_t n = m_gradient.size();
    if (a * gs + dgs > 0.0) {
        const double sigma = a / (dgs - a * gs);
        for (std::size_t i = 0; i < n; ++i)
            m_correction[i] = m_gradient[i] + (sigma * dgs - 1.0) * m_previousGradient[i];
        m_factors.rankOneUpdate(1.0 / (dgs * sigma * dgs), m_correction);
        m_factors.rankOneUpdate(-sigma, m_previousGradient);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            m_correction[i] = m_gradient[i] - m_previousGradient[i];
        m_factors.rankOneUpdate(1.0 / (dgs * a), m_correction);
        m_factors.rankOneUpdate(1.0 / gs, m_previousGradient);
    }
}

} // namespace lum
