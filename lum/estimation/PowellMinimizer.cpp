#include "lum/estimation/PowellMinimizer.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"

#include <cmath>

namespace lum {

PowellMinimizer::PowellMinimizer(Func& func, const std::atomic<bool>& cancelled, int maxIterations,
                                 double funcTolerance)
    : m_func(func), m_cancelled(cancelled), m_maxIterations(maxIterations),
      m_funcTolerance(funcTolerance), m_line(func, cancelled)
{
}

int PowellMinimizer::minimize(std::vector<double>& x, double fx)
{
    constexpr double TINY = 1.0e-25;
    const std::size_t n = x.size();
    std::vector<std::vector<double>> directions(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i)
        directions[i][i] = 1.0;
    std::vector<double> start = x; // the point at the start of the iteration
    std::vector<double> extrapolated(n);
    std::vector<double> direction(n);
    double fret = fx;
    int iteration = 0;
    if (m_cancelled)
        return iteration + 1;

    while (true) {
        const double fp = fret;
        std::size_t biggest = 0;
        double biggestDecrease = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            direction = directions[i];
            const double before = fret;
            fret = m_line.minimize(x, direction, fret);
            if (m_cancelled)
                return iteration + 1;
            if (before - fret > biggestDecrease) {
                biggestDecrease = before - fret;
                biggest = i;
            }
        }
        if (2.0 * (fp - fret) <= m_funcTolerance * (std::abs(fp) + std::abs(fret)) + TINY)
            return iteration + 1;
        if (iteration == m_maxIterations)
            throw NR3::NRError("Maximum number of iterations exceeded",
                               NR3::NRError::IterationLimit);

        for (std::size_t j = 0; j < n; ++j) {
            extrapolated[j] = 2.0 * x[j] - start[j];
            direction[j] = x[j] - start[j];
            start[j] = x[j];
        }
        const double fptt = m_func.countedValue(extrapolated);
        if (fptt < fp) {
            const double t =
                2.0 * (fp - 2.0 * fret + fptt) * std::pow(fp - fret - biggestDecrease, 2) -
                biggestDecrease * std::pow(fp - fptt, 2);
            if (t < 0.0) {
                fret = m_line.minimize(x, direction, fret);
                if (m_cancelled)
                    return iteration + 1;
                directions[biggest] = directions[n - 1];
                directions[n - 1] = direction;
            }
        }
        ++iteration;
        if (m_cancelled)
            return iteration + 1;
    }
}

} // namespace lum
