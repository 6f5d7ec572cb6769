#include "lum/estimation/SimplexOptimizer.h"

#include "lum/estimation/OptimizerFactory.h"

#include "lum/estimation/NRError.h"
#include "lum/estimation/SimplexMinimizer.h"

namespace lum {

SimplexOptimizer::SimplexOptimizer(QObject* parent)
    : OptimizerI(QStringLiteral("Simplex"), 3, parent),
      // Stored texts of earlier versions spell it "maxFuncEvalualtions" (see
      // currentSettingName).
      m_maxFuncEvaluations(
          addSetting(QStringLiteral("maxFuncEvaluations"), SettingType::Integer, 5000)),
      m_convergenceTolerance(
          addSetting(QStringLiteral("convergenceTolerance"), SettingType::Double, 1e-8)),
      m_stepSize(addSetting(QStringLiteral("stepSize"), SettingType::Double, 0.1))
{
}

void SimplexOptimizer::optimize(Func& func, std::vector<double>& x,
                                const std::atomic<bool>& cancelled, int& iterations)
{
    // Beyond a few dozen dimensions the simplex spends its evaluations without reaching the
    // optimum; saying so at once beats a run to the iteration limit.
    if (x.size() > maxParameters)
        throw NR3::NRError("the Simplex optimizer does not reach the optimum of models of more "
                           "than 20 parameters; use fletch or quasi-newton");
    const double start = announceBegin(func, x);
    SimplexMinimizer minimizer(func, cancelled,
                               scaledLimit(integerSetting(m_maxFuncEvaluations), x.size(), 2000),
                               doubleSetting(m_convergenceTolerance), doubleSetting(m_stepSize));
    iterations = minimizer.minimize(x, start);
    announceEnd(func, x, iterations);
}

std::unique_ptr<OptimizerI> SimplexOptimizer::clone() const
{
    return createOptimizer(settingsString());
}

} // namespace lum
