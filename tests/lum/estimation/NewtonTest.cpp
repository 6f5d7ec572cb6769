// Newton's method on a sum of terms whose Hessian is indefinite away from the minimum: the
// damping must find descent there and the undamped steps converge at the end.
#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

namespace {

// Term t: 100 (x_t - s^2)^2 + (1 - x_t)^2, each x_t its own, s (the last parameter) shared by
// all: minimum 0 at x_t = 1, s = ±1, with an indefinite Hessian near s = 0.
class SharedValleys : public lum::Func
{
public:
    explicit SharedValleys(int terms) : m_terms(terms), m_ofParameter(terms + 1)
    {
        for (int t = 0; t < terms; ++t) {
            m_ofParameter[static_cast<std::size_t>(t)] = {t};
            m_ofParameter.back().push_back(t);
        }
    }

    double operator()(const std::vector<double>& x) override
    {
        double sum = 0.0;
        for (int t = 0; t < m_terms; ++t)
            sum += term(x, t);
        return sum;
    }
    int termCount() const override { return m_terms; }
    const std::vector<int>& termsOfParameter(int j) const override
    {
        return m_ofParameter[static_cast<std::size_t>(j)];
    }
    double termsValue(const std::vector<double>& x, const std::vector<int>& terms) override
    {
        double sum = 0.0;
        for (const int t : terms)
            sum += term(x, t);
        return sum;
    }
    bool hasExactGradient() const override { return true; }
    void addTermsGradient(const std::vector<double>& x, const std::vector<int>& terms,
                          std::vector<double>& g) override
    {
        const double s = x.back();
        for (const int t : terms) {
            const double xt = x[static_cast<std::size_t>(t)];
            const double r = xt - s * s;
            g[static_cast<std::size_t>(t)] += 200.0 * r - 2.0 * (1.0 - xt);
            g.back() += -400.0 * r * s;
        }
    }

private:
    double term(const std::vector<double>& x, int t) const
    {
        const double xt = x[static_cast<std::size_t>(t)];
        const double r = xt - x.back() * x.back();
        return 100.0 * r * r + (1.0 - xt) * (1.0 - xt);
    }

    int m_terms;
    std::vector<std::vector<int>> m_ofParameter;
};

TEST(NewtonOptimizer, FindsTheMinimumFromWhereTheHessianIsIndefinite)
{
    SharedValleys valleys(30);
    std::vector<double> x(31, 2.0);
    x.back() = 0.1;
    const std::atomic<bool> cancelled{false};
    int iterations = 0;
    const auto newton = lum::createOptimizer(QStringLiteral("newton"));
    ASSERT_EQ(newton->id(), 4);
    newton->optimize(valleys, x, cancelled, iterations);
    EXPECT_LT(valleys(x), 1e-10);
    for (std::size_t t = 0; t < 30; ++t)
        EXPECT_NEAR(x[t], 1.0, 1e-5) << t;
    EXPECT_NEAR(std::abs(x.back()), 1.0, 1e-5);
    EXPECT_LT(iterations, 60);
}

TEST(NewtonOptimizer, RefusesAFunctionWithoutAnExactGradient)
{
    struct Plain : lum::Func
    {
        double operator()(const std::vector<double>& x) override { return x[0] * x[0]; }
    } plain;
    std::vector<double> x{1.0};
    const std::atomic<bool> cancelled{false};
    int iterations = 0;
    EXPECT_THROW(
        lum::createOptimizer(QStringLiteral("newton"))->optimize(plain, x, cancelled, iterations),
        NR3::NRError);
}

} // namespace
