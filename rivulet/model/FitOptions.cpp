#include "rivulet/model/FitOptions.h"

#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/thread/WorkerPool.h"

namespace rivulet {

std::unique_ptr<lum::OptimizerI> FitOptions::newOptimizer() const
{
    return prototype ? prototype->clone() : lum::createOptimizer(optimizer);
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
