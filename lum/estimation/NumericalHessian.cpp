#include "lum/estimation/NumericalHessian.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/PartialEvaluator.h"

namespace lum {

NumericalHessian::NumericalHessian(const std::atomic<bool>& cancelled, double step)
    : m_cancelled(cancelled), m_step(step)
{
}

bool NumericalHessian::compute(Func& func, const std::vector<double>& x, DenseMatrix& hessian)
{
    const int n = static_cast<int>(x.size());
    hessian.resize(n, n);
    std::vector<double> h(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        h[i] = x[i] * m_step;

    PartialEvaluator evaluator(func);
    evaluator.moveTo(x);
    evaluator.setBase();
    for (int i = 0; i < n; ++i) {
        const double xi = x[i];
        const double hi = h[i];
        for (int j = 0; j <= i; ++j) {
            if (m_cancelled)
                return false;
            if (j == i) {
                if (!evaluator.select(i))
                    continue;
                const double up = evaluator.valueWith(i, xi + hi);
                const double down = evaluator.valueWith(i, xi - hi);
                hessian(i, i) = (up - 2.0 * evaluator.baseValue() + down) / (hi * hi);
                continue;
            }
            if (!evaluator.select(i, j))
                continue;
            const double xj = x[j];
            const double hj = h[j];
            const double pp = evaluator.valueWith(i, xi + hi, j, xj + hj);
            const double pm = evaluator.valueWith(i, xi + hi, j, xj - hj);
            const double mm = evaluator.valueWith(i, xi - hi, j, xj - hj);
            const double mp = evaluator.valueWith(i, xi - hi, j, xj + hj);
            hessian(i, j) = hessian(j, i) = (pp - pm - mp + mm) / (4.0 * hi * hj);
        }
    }
    return true;
}

} // namespace lum
