#include "lum/estimation/Estimator.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/OptimizerI.h"

#include <cmath>

namespace lum {

namespace {

QString reseedingMessage()
{
    return QStringLiteral("Re-estimating using previous estimates as seeds...");
}

} // namespace

Estimator::Estimator(OptimizerI& optimizer, double endingCriterion, QObject* parent)
    : QObject(parent), m_optimizer(optimizer), m_endingCriterion(endingCriterion)
{
    connect(&m_optimizer, &OptimizerI::beginOptimization, this, &Estimator::onBeginOptimization);
    connect(&m_optimizer, &OptimizerI::endOptimization, this, &Estimator::onEndOptimization);
}

void Estimator::estimate(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled)
{
    m_runs = 0;
    m_iterations = 0;
    if (!runOptimizer(func, x, cancelled))
        return;
    double previous = func.countedValue(x);
    emit statusMessage(reseedingMessage());
    if (!runOptimizer(func, x, cancelled))
        return;
    double current = func.countedValue(x);
    while (std::abs(current - previous) > m_endingCriterion) {
        emit statusMessage(reseedingMessage());
        previous = current;
        if (!runOptimizer(func, x, cancelled))
            return;
        current = func.countedValue(x);
    }
}

// One optimizer run; false when the job was cancelled meanwhile.
bool Estimator::runOptimizer(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled)
{
    int iterations = 0;
    m_optimizer.optimize(func, x, cancelled, iterations);
    ++m_runs;
    m_iterations += iterations;
    return !cancelled;
}

void Estimator::onBeginOptimization(QString optimizerName, double functionValue)
{
    emit statusMessage(optimizerName + QStringLiteral(", beginning function value: ") +
                       QString::number(functionValue, 'g', 12));
}

void Estimator::onEndOptimization(QString optimizerName, double functionValue, int numIterations)
{
    emit statusMessage(optimizerName + QStringLiteral(", ending function value: ") +
                       QString::number(functionValue, 'g', 12) +
                       QStringLiteral(", number of iterations: ") + QString::number(numIterations));
}

} // namespace lum
