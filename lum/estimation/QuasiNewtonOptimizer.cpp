#include "lum/estimation/QuasiNewtonOptimizer.h"

#include "lum/estimation/OptimizerFactory.h"

#include "lum/estimation/QuasiNewtonMinimizer.h"

namespace lum {

QuasiNewtonOptimizer::QuasiNewtonOptimizer(QObject* parent)
    : OptimizerI(QStringLiteral("Quasi-Newton"), 1, parent),
      m_maxIterations(addSetting(QStringLiteral("maxIterations"), SettingType::Integer, 200)),
      m_gradConv(addSetting(QStringLiteral("gradConv"), SettingType::Double, 1e-8))
{
}

void QuasiNewtonOptimizer::optimize(Func& func, std::vector<double>& x,
                                    const std::atomic<bool>& cancelled, int& iterations)
{
    const double start = announceBegin(func, x);
    QuasiNewtonMinimizer minimizer(func, cancelled,
                                   scaledLimit(integerSetting(m_maxIterations), x.size(), 4),
                                   doubleSetting(m_gradConv));
    iterations = minimizer.minimize(x, start);
    announceEnd(func, x, iterations);
}

std::unique_ptr<OptimizerI> QuasiNewtonOptimizer::clone() const
{
    return createOptimizer(settingsString());
}

} // namespace lum
