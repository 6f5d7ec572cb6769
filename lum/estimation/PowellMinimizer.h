#pragma once

#include "lum/estimation/LineMinimizer.h"

#include <atomic>
#include <vector>

namespace lum {

class Func;

// Powell's direction set method: line minimisations along a set of directions that starts as
// the unit vectors and takes up the average direction of an iteration when that promises
// progress.
class PowellMinimizer
{
public:
    PowellMinimizer(Func& func, const std::atomic<bool>& cancelled, int maxIterations,
                    double funcTolerance);

    // Minimises from x (replaced by the result) with fx = f(x). Returns the iteration count to
    // report. Throws NR3::NRError "Maximum number of iterations exceeded" (code
    // IterationLimit).
    int minimize(std::vector<double>& x, double fx);

private:
    Func& m_func;
    const std::atomic<bool>& m_cancelled;
    int m_maxIterations;
    double m_funcTolerance;
    LineMinimizer m_line;
};

} // namespace lum
