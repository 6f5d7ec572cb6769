#pragma once

#include "lum/estimation/OptimizerI.h"

namespace lum {

// Powell's direction set method ("Direction Set (Powell's)", id 2).
class DirectionSetOptimizer : public OptimizerI
{
    Q_OBJECT

public:
    explicit DirectionSetOptimizer(QObject* parent = nullptr);

    void optimize(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled,
                  int& iterations) override;
    std::unique_ptr<OptimizerI> clone() const override;

private:
    // Positions of this optimizer's settings.
    int m_maxIterations = 0;
    int m_funcTolerance = 0;
};

} // namespace lum
