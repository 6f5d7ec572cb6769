#pragma once

#include "lum/estimation/OptimizerI.h"

namespace lum {

// BFGS quasi-Newton method with numerical gradient ("Quasi-Newton", id 1).
class QuasiNewtonOptimizer : public OptimizerI
{
    Q_OBJECT

public:
    explicit QuasiNewtonOptimizer(QObject* parent = nullptr);

    void optimize(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled,
                  int& iterations) override;
    std::unique_ptr<OptimizerI> clone() const override;

private:
    // Positions of this optimizer's settings.
    int m_maxIterations = 0;
    int m_gradConv = 0;
};

} // namespace lum
