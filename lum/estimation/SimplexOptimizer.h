#pragma once

#include "lum/estimation/OptimizerI.h"

namespace lum {

// Nelder-Mead downhill simplex ("Simplex", id 3).
class SimplexOptimizer : public OptimizerI
{
    Q_OBJECT

public:
    explicit SimplexOptimizer(QObject* parent = nullptr);

    void optimize(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled,
                  int& iterations) override;
    std::unique_ptr<OptimizerI> clone() const override;

private:
    // Positions of this optimizer's settings.
    int m_maxFuncEvaluations = 0;
    int m_convergenceTolerance = 0;
    int m_stepSize = 0;
};

} // namespace lum
