#pragma once

#include "lum/estimation/OptimizerI.h"

namespace lum {

// Fletcher's quasi-Newton method without derivatives ("Fletch", id 0).
class FletchOptimizer : public OptimizerI
{
    Q_OBJECT

public:
    explicit FletchOptimizer(QObject* parent = nullptr);

    void optimize(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled,
                  int& iterations) override;
    std::unique_ptr<OptimizerI> clone() const override;

private:
    // Positions of this optimizer's settings.
    int m_maxIterations = 0;
    int m_stepSize = 0;
    int m_precision = 0;
};

} // namespace lum
