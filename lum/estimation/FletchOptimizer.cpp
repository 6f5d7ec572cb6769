#include "lum/estimation/FletchOptimizer.h"

#include "lum/estimation/OptimizerFactory.h"

#include "lum/estimation/FletchMinimizer.h"

namespace lum {

FletchOptimizer::FletchOptimizer(QObject* parent)
    : OptimizerI(QStringLiteral("Fletch"), 0, parent),
      m_maxIterations(addSetting(QStringLiteral("maxIterations"), SettingType::Integer, 200)),
      m_stepSize(addSetting(QStringLiteral("stepSize"), SettingType::Double, 1e-6)),
      m_precision(addSetting(QStringLiteral("precision"), SettingType::Double, 1e-6))
{
}

void FletchOptimizer::optimize(Func& func, std::vector<double>& x,
                               const std::atomic<bool>& cancelled, int& iterations)
{
    const double start = announceBegin(func, x);
    FletchMinimizer::Settings settings;
    settings.maxIterations = scaledLimit(integerSetting(m_maxIterations), x.size(), 4);
    settings.stepSize = doubleSetting(m_stepSize);
    settings.precision = doubleSetting(m_precision);
    FletchMinimizer minimizer(func, cancelled, settings);
    iterations = minimizer.minimize(x, start);
    announceEnd(func, x, iterations);
}

std::unique_ptr<OptimizerI> FletchOptimizer::clone() const
{
    return createOptimizer(settingsString());
}

} // namespace lum
