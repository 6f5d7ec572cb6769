#include "lum/estimation/DirectionSetOptimizer.h"

#include "lum/estimation/OptimizerFactory.h"

#include "lum/estimation/PowellMinimizer.h"

namespace lum {

DirectionSetOptimizer::DirectionSetOptimizer(QObject* parent)
    : OptimizerI(QStringLiteral("Direction Set (Powell's)"), 2, parent),
      m_maxIterations(addSetting(QStringLiteral("maxIterations"), SettingType::Integer, 200)),
      m_funcTolerance(addSetting(QStringLiteral("funcTolerance"), SettingType::Double, 1e-8))
{
}

void DirectionSetOptimizer::optimize(Func& func, std::vector<double>& x,
                                     const std::atomic<bool>& cancelled, int& iterations)
{
    const double start = announceBegin(func, x);
    PowellMinimizer minimizer(func, cancelled,
                              scaledLimit(integerSetting(m_maxIterations), x.size(), 2),
                              doubleSetting(m_funcTolerance));
    iterations = minimizer.minimize(x, start);
    announceEnd(func, x, iterations);
}

std::unique_ptr<OptimizerI> DirectionSetOptimizer::clone() const
{
    return createOptimizer(settingsString());
}

} // namespace lum
