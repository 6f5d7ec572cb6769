#pragma once

#include "lum/estimation/LdlFactors.h"
#include "lum/estimation/PartialEvaluator.h"

#include <atomic>
#include <vector>

namespace lum {

class Func;

// Fletcher's quasi-Newton method without derivatives: the gradient comes from finite
// differences (forward differences first, central differences once those stop giving descent),
// or from the function itself when it has an exact gradient (Func::hasExactGradient()),
// the Hessian approximation is held as LDL^T factors and corrected by the BFGS formula, and each
// step is found by a simple search that extends a successful step and interpolates an
// unsuccessful one. The differences evaluate only the terms a moved parameter enters.
class FletchMinimizer
{
public:
    struct Settings
    {
        int maxIterations = 200;
        double stepSize = 1e-6;
        double precision = 1e-6;
    };

    FletchMinimizer(Func& func, const std::atomic<bool>& cancelled, const Settings& settings);

    // Minimises from x (replaced by the result) with fx = f(x). Returns the number of
    // iterations. Throws NR3::NRError "Maximum number of iterations exceeded in fletch" (code
    // IterationLimit) when the iteration or evaluation limits end the run (unless it was
    // cancelled).
    int minimize(std::vector<double>& x, double fx);

private:
    enum class Mode
    {
        Forward,
        Central
    };
    enum class Outcome
    {
        Moved,
        ModeEnded,
        IterationLimit,
        Cancelled
    };

    void computeScales();
    void differences(Mode mode);
    Outcome iterate(Mode mode);
    Outcome lineSearch(double alpha, double alphaMin);
    Outcome extend(double alpha, double fStart);
    double valueAlong(double alpha);
    void acceptTrial(double value);
    void correctFactors(double gs, double dgs);

    Func& m_func;
    const std::atomic<bool>& m_cancelled;
    Settings m_settings;
    PartialEvaluator m_evaluator;
    bool m_useExactGradient = false;

    std::vector<double>* m_x = nullptr;
    double m_f = 0.0;
    double m_expectedReduction = 1.0;
    double m_accumulatedStep = 0.0;
    LdlFactors m_factors;
    std::vector<double> m_scales;
    std::vector<double> m_gradient;
    std::vector<double> m_previousGradient;
    std::vector<double> m_direction;
    std::vector<double> m_trial;
    std::vector<double> m_correction;
};

} // namespace lum
