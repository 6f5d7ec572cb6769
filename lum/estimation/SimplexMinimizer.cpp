#include "lum/estimation/SimplexMinimizer.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"

#include <algorithm>
#include <cmath>

namespace lum {

SimplexMinimizer::SimplexMinimizer(Func& func, const std::atomic<bool>& cancelled,
                                   int maxFuncEvaluations, double convergenceTolerance,
                                   double stepSize)
    : m_func(func), m_cancelled(cancelled), m_maxEvaluations(maxFuncEvaluations),
      m_tolerance(convergenceTolerance), m_stepSize(stepSize)
{
}

namespace {
constexpr double TINY = 1.0e-10;
// Fresh simplices at the point found: enough to leave a simplex that collapsed onto a face,
// few enough that a converged fit pays little for them.
constexpr int MaxRestarts = 2;
} // namespace

// A simplex can shrink onto a face and stop short of the minimum; a fresh simplex at the
// point found moves on when it was not the minimum, and the search ends when one no longer
// lowers the value by more than the tolerance.
int SimplexMinimizer::minimize(std::vector<double>& x, double fx)
{
    m_totalEvaluations = 0;
    descend(x, fx);
    for (int restart = 0; restart < MaxRestarts && !m_cancelled; ++restart) {
        const double before = m_values[m_lowest];
        descend(x, before);
        const double after = m_values[m_lowest];
        if (!(2.0 * (before - after) > m_tolerance * (std::abs(before) + std::abs(after) + TINY)))
            break;
    }
    return m_totalEvaluations + 1;
}

void SimplexMinimizer::descend(std::vector<double>& x, double fx)
{
    const std::size_t n = x.size();
    m_vertices.assign(n + 1, x);
    m_values.assign(n + 1, fx);
    for (std::size_t i = 0; i < n; ++i) {
        m_vertices[i + 1][i] += startStep(x[i]);
        m_values[i + 1] = m_func.countedValue(m_vertices[i + 1]);
    }
    m_trial.resize(n);
    sumVertices();

    // Each fresh simplex has the whole budget: the limit stops a search that does not settle.
    m_evaluations = 0;
    while (true) {
        rankVertices();
        const double high = m_values[m_highest];
        const double low = m_values[m_lowest];
        const double spread = 2.0 * std::abs(high - low) / (std::abs(high) + std::abs(low) + TINY);
        if (spread < m_tolerance || m_cancelled)
            break;
        if (m_evaluations >= m_maxEvaluations) {
            x = m_vertices[m_lowest]; // the caller may go on from the best point found
            throw NR3::NRError("Maximum number of iterations exceeded",
                               NR3::NRError::IterationLimit);
        }
        m_evaluations += 2;
        double value = tryMove(-1.0); // reflect the worst vertex through the opposite face
        if (value <= m_values[m_lowest]) {
            tryMove(2.0); // better than the best: expand
        } else if (value >= m_values[m_nextHighest]) {
            const double saved = m_values[m_highest];
            value = tryMove(0.5); // contract towards the face
            if (value >= saved) { // still the worst: shrink towards the best vertex
                for (std::size_t i = 0; i <= n; ++i) {
                    if (i == m_lowest)
                        continue;
                    for (std::size_t j = 0; j < n; ++j)
                        m_vertices[i][j] = 0.5 * (m_vertices[i][j] + m_vertices[m_lowest][j]);
                    m_values[i] = m_func.countedValue(m_vertices[i]);
                }
                m_evaluations += static_cast<int>(n);
                sumVertices();
            }
        } else {
            --m_evaluations;
        }
    }
    x = m_vertices[m_lowest];
    m_totalEvaluations += m_evaluations;
}

// Relative to the component from a magnitude of 10 upwards, as large values need; below that
// ten times the step size (1 at the default), so that a component at or near 0, the centre of
// a logit coordinate, spreads the simplex by a step that matters on that scale.
double SimplexMinimizer::startStep(double component) const
{
    return component < 0.0 ? m_stepSize * std::min(component, -10.0)
                           : m_stepSize * std::max(component, 10.0);
}

void SimplexMinimizer::rankVertices()
{
    m_lowest = 0;
    if (m_values.size() < 2) {
        m_highest = m_nextHighest = 0;
        return;
    }
    if (m_values[0] > m_values[1]) {
        m_highest = 0;
        m_nextHighest = 1;
    } else {
        m_highest = 1;
        m_nextHighest = 0;
    }
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        if (m_values[i] <= m_values[m_lowest])
            m_lowest = i;
        if (m_values[i] > m_values[m_highest]) {
            m_nextHighest = m_highest;
            m_highest = i;
        } else if (m_values[i] > m_values[m_nextHighest] && i != m_highest) {
            m_nextHighest = i;
        }
    }
}

void SimplexMinimizer::sumVertices()
{
    m_sum.assign(m_trial.size(), 0.0);
    for (const std::vector<double>& vertex : m_vertices)
        for (std::size_t j = 0; j < vertex.size(); ++j)
            m_sum[j] += vertex[j];
}

// Moves the worst vertex through the centroid of the others by the factor and keeps the trial
// point when it is better than the worst.
double SimplexMinimizer::tryMove(double factor)
{
    const std::size_t n = m_trial.size();
    const double fac1 = (1.0 - factor) / static_cast<double>(n);
    const double fac2 = fac1 - factor;
    std::vector<double>& worst = m_vertices[m_highest];
    for (std::size_t j = 0; j < n; ++j)
        m_trial[j] = m_sum[j] * fac1 - worst[j] * fac2;
    const double value = m_func.countedValue(m_trial);
    if (value < m_values[m_highest]) {
        m_values[m_highest] = value;
        for (std::size_t j = 0; j < n; ++j) {
            m_sum[j] += m_trial[j] - worst[j];
            worst[j] = m_trial[j];
        }
    }
    return value;
}

} // namespace lum
