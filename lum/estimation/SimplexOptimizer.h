#pragma once

#include "lum/estimation/OptimizerI.h"

namespace lum {

// Nelder-Mead downhill simplex ("Simplex", id 3).
class SimplexOptimizer : public OptimizerI
{
    Q_OBJECT

public:
    // The most parameters it takes; a larger problem is refused (NR3::NRError) before any
    // evaluation.
    static constexpr std::size_t maxParameters = 20;

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
