#include "rivulet/model/FitOptions.h"

#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/thread/WorkerPool.h"

namespace rivulet {

std::unique_ptr<lum::OptimizerI> FitOptions::newOptimizer() const
{
    return prototype ? prototype->clone() : lum::createOptimizer(optimizer);
}

std::unique_ptr<lum::OptimizerI> FitOptions::optimizerFor(std::size_t parameters,
                                                          double hessianGradients) const
{
    std::unique_ptr<lum::OptimizerI> chosen = newOptimizer();
    if (chosen && chosen->id() == 0 && isLargeBlock(parameters) &&
        NewtonIterations * hessianGradients <=
            DefaultGradientsPerParameter * static_cast<double>(parameters))
        return lum::createOptimizer(QStringLiteral("newton"));
    return chosen;
}

std::unique_ptr<lum::OptimizerI> FitOptions::profileOptimizerFor(std::size_t parameters,
                                                                 double hessianGradients) const
{
    std::unique_ptr<lum::OptimizerI> chosen = optimizerFor(parameters, hessianGradients);
    if (chosen && chosen->id() == 0 && newtonFrom > 0 && gradient == Gradient::Exact)
        return lum::createOptimizer(QStringLiteral("newton"));
    return chosen;
}

bool FitOptions::isLargeBlock(std::size_t parameters) const
{
    return newtonFrom > 0 && gradient == Gradient::Exact &&
           parameters >= static_cast<std::size_t>(newtonFrom);
}

QString FitOptions::optimizerDescription() const
{
    return prototype ? prototype->description() : lum::createOptimizer(optimizer)->description();
}

lum::WorkerPool& FitOptions::workerPool() const
{
    return pool ? *pool : lum::WorkerPool::shared();
}

} // namespace rivulet
