#include "lum/estimation/NumericalHessian.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/PartialEvaluator.h"

#include <algorithm>

namespace lum {

NumericalHessian::NumericalHessian(const std::atomic<bool>& cancelled, double step)
    : m_cancelled(cancelled), m_step(step)
{
}

bool NumericalHessian::compute(Func& func, const std::vector<double>& x, DenseMatrix& hessian)
{
    if (func.hasExactGradient())
        return fromGradient(func, x, hessian);
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

bool NumericalHessian::fromGradient(Func& func, const std::vector<double>& x, DenseMatrix& hessian)
{
    const int n = static_cast<int>(x.size());
    hessian.resize(n, n);
    std::vector<double> point = x;
    std::vector<double> up(x.size());
    std::vector<double> down(x.size());
    for (int i = 0; i < n; ++i) {
        if (m_cancelled)
            return false;
        const std::vector<int>& terms = func.termsOfParameter(i);
        if (terms.empty())
            continue;
        const double hi = x[i] * m_step;
        std::fill(up.begin(), up.end(), 0.0);
        std::fill(down.begin(), down.end(), 0.0);
        point[i] = x[i] + hi;
        func.addTermsGradient(point, terms, up);
        point[i] = x[i] - hi;
        func.addTermsGradient(point, terms, down);
        point[i] = x[i];
        for (int j = 0; j < n; ++j)
            hessian(j, i) = (up[j] - down[j]) / (2.0 * hi);
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < i; ++j)
            hessian(i, j) = hessian(j, i) = 0.5 * (hessian(i, j) + hessian(j, i));
    }
    return true;
}

} // namespace lum
