#pragma once

#include <atomic>
#include <vector>

namespace lum {

class Func;

// Minimises a function along a line: golden-ratio bracketing from the steps 0 and 0.9 (halved
// while the second start point is a bad point of the objective), then Brent's method. When the
// bracket lies on a plateau, steps of growing length look for lower ground first.
class LineMinimizer
{
public:
    LineMinimizer(Func& func, const std::atomic<bool>& cancelled);

    // Minimises f(x + t xi) over t, starting with fx = f(x). Replaces xi by t xi and x by
    // x + t xi and returns the value there. A cancellation gives the step 0.
    // Throws NR3::NRError "Too many iterations in brent".
    double minimize(std::vector<double>& x, std::vector<double>& xi, double fx);

private:
    struct Bracket
    {
        double ax = 0.0;
        double bx = 0.0;
        double cx = 0.0;
        double fa = 0.0;
        double fb = 0.0;
        double fc = 0.0;
    };

    double valueAt(double t);
    bool bracket(double start, double fStart, double second, Bracket& b);
    static bool isFlat(const Bracket& b, double fx);
    bool leavePlateau(double fx, Bracket& b);
    double brent(const Bracket& b, double& fmin);

    Func& m_func;
    const std::atomic<bool>& m_cancelled;
    const std::vector<double>* m_origin = nullptr;
    const std::vector<double>* m_direction = nullptr;
    std::vector<double> m_trial;
};

} // namespace lum
