#pragma once

#include "lum/estimation/NewtonMinimizer.h"
#include "lum/estimation/OptimizerI.h"

namespace lum {

// Newton's method on the sparse Hessian of the terms ("Newton", id 4); needs the exact
// gradient. For large blocks whose terms share few parameters.
class NewtonOptimizer : public OptimizerI
{
    Q_OBJECT

public:
    explicit NewtonOptimizer(QObject* parent = nullptr);

    void optimize(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled,
                  int& iterations) override;
    std::unique_ptr<OptimizerI> clone() const override;
    // Keeps the last factored Hessian for the next run.
    void setCarryCurvature(bool carry) override;
    void seedCurvature(const HessianSeed& seed) override;

private:
    // Positions of this optimizer's settings.
    int m_maxIterations = 0;
    int m_gradConv = 0;
    NewtonMinimizer::KeptCurvature m_kept; // null unless curvature is carried
};

} // namespace lum
