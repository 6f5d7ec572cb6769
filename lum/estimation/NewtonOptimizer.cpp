#include "lum/estimation/NewtonOptimizer.h"

#include "lum/estimation/NewtonMinimizer.h"
#include "lum/estimation/OptimizerFactory.h"

namespace lum {

NewtonOptimizer::NewtonOptimizer(QObject* parent)
    : OptimizerI(QStringLiteral("Newton"), 4, parent),
      m_maxIterations(addSetting(QStringLiteral("maxIterations"), SettingType::Integer, 200)),
      m_gradConv(addSetting(QStringLiteral("gradConv"), SettingType::Double, 1e-8))
{
}

void NewtonOptimizer::optimize(Func& func, std::vector<double>& x,
                               const std::atomic<bool>& cancelled, int& iterations)
{
    const double start = announceBegin(func, x);
    // Newton's iterations do not grow with the number of parameters: the limit is not scaled.
    NewtonMinimizer minimizer(func, cancelled, integerSetting(m_maxIterations),
                              doubleSetting(m_gradConv), m_kept.get());
    iterations = minimizer.minimize(x, start);
    announceEnd(func, x, iterations);
}

void NewtonOptimizer::setCarryCurvature(bool carry)
{
    m_kept = carry ? NewtonMinimizer::newCurvature() : nullptr;
}

void NewtonOptimizer::seedCurvature(const HessianSeed& seed)
{
    if (m_kept)
        NewtonMinimizer::seed(*m_kept, seed);
}

std::unique_ptr<OptimizerI> NewtonOptimizer::clone() const
{
    return createOptimizer(settingsString());
}

} // namespace lum
