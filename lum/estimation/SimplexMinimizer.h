#pragma once

#include <atomic>
#include <vector>

namespace lum {

class Func;

// The Nelder-Mead downhill simplex method. The starting simplex spreads each component by
// stepSize times its value, or by 10 * stepSize where the component's magnitude is below 10.
class SimplexMinimizer
{
public:
    SimplexMinimizer(Func& func, const std::atomic<bool>& cancelled, int maxFuncEvaluations,
                     double convergenceTolerance, double stepSize);

    // Minimises from x (replaced by the best vertex) with fx = f(x). Returns the iteration count
    // to report (function evaluations + 1). Throws NR3::NRError "Maximum number of iterations
    // exceeded" (code IterationLimit).
    int minimize(std::vector<double>& x, double fx);

private:
    // One Nelder-Mead search from a fresh simplex at x; x becomes its best vertex.
    void descend(std::vector<double>& x, double fx);
    double startStep(double component) const;
    void rankVertices();
    void sumVertices();
    double tryMove(double factor);

    Func& m_func;
    const std::atomic<bool>& m_cancelled;
    int m_maxEvaluations;
    double m_tolerance;
    double m_stepSize;

    std::vector<std::vector<double>> m_vertices;
    std::vector<double> m_values;
    std::vector<double> m_sum;
    std::vector<double> m_trial;
    std::size_t m_lowest = 0;
    std::size_t m_highest = 0;
    std::size_t m_nextHighest = 0;
    int m_evaluations = 0;
    int m_totalEvaluations = 0;
};

} // namespace lum
