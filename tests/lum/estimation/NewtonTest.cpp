// Newton's method on a sum of terms whose Hessian is indefinite away from the minimum: the
// damping must find descent there and the undamped steps converge at the end.
#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/SparseHessian.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

namespace {

// Term t: 100 (x_t - s^2)^2 + (a - x_t)^2, each x_t its own, s (the last parameter) shared by
// all: minimum 0 at x_t = a, s = ±√a, with an indefinite Hessian near s = 0.
class SharedValleys : public lum::Func
{
public:
    explicit SharedValleys(int terms, double floor = 1.0)
        : m_terms(terms), m_floor(floor), m_ofParameter(terms + 1)
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
    int gradients = 0; // calls of addTermsGradient()
    void addTermsGradient(const std::vector<double>& x, const std::vector<int>& terms,
                          std::vector<double>& g) override
    {
        ++gradients;
        const double s = x.back();
        for (const int t : terms) {
            const double xt = x[static_cast<std::size_t>(t)];
            const double r = xt - s * s;
            g[static_cast<std::size_t>(t)] += 200.0 * r - 2.0 * (m_floor - xt);
            g.back() += -400.0 * r * s;
        }
    }

private:
    double term(const std::vector<double>& x, int t) const
    {
        const double xt = x[static_cast<std::size_t>(t)];
        const double r = xt - x.back() * x.back();
        return 100.0 * r * r + (m_floor - xt) * (m_floor - xt);
    }

    int m_terms;
    double m_floor;
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

// Runs on a sequence of nearby valleys, each from the last one's minimum, reach the minima a
// fresh run reaches when each starts with the Hessian the run before left, at fewer gradients;
// a kept Hessian of a valley far away, or of another structure, misleads no run.
TEST(NewtonOptimizer, CarriedCurvatureReachesTheMinimaOfFreshRuns)
{
    const std::atomic<bool> cancelled{false};
    const auto carrying = lum::createOptimizer(QStringLiteral("newton"));
    carrying->setCarryCurvature(true);
    const auto fresh = lum::createOptimizer(QStringLiteral("newton"));
    std::vector<double> carried(21, 1.0);
    std::vector<double> start = carried;
    int carriedGradients = 0;
    int freshGradients = 0;
    for (const double floor : {1.05, 1.1, 1.15, 1.2, 9.0, 1.0}) {
        SharedValleys valleys(20, floor);
        std::vector<double> x = start;
        int iterations = 0;
        fresh->optimize(valleys, x, cancelled, iterations);
        freshGradients += floor < 2.0 && floor > 1.0 ? valleys.gradients : 0;
        SharedValleys again(20, floor);
        carrying->optimize(again, carried, cancelled, iterations);
        carriedGradients += floor < 2.0 && floor > 1.0 ? again.gradients : 0;
        // Both end on the same tests: a gradient below 1e-8, or a step that gains less than
        // 1e-9, which on the slower steps of a kept factor leaves the point within about 1e-5.
        EXPECT_LT(again(carried), 1e-9) << floor;
        for (std::size_t i = 0; i < x.size(); ++i)
            EXPECT_NEAR(carried[i], x[i], 1e-5) << floor << ", " << i;
        start = x;
    }
    // A Hessian here costs four gradients, a step on the kept one a single gradient.
    EXPECT_LT(carriedGradients, freshGradients);

    SharedValleys other(7, 1.3);
    std::vector<double> x(8, 2.0);
    int iterations = 0;
    carrying->optimize(other, x, cancelled, iterations);
    EXPECT_LT(other(x), 1e-10);
}

// A run seeded with the Hessian of a larger problem, read on its own parameters, reaches the
// minimum a fresh run reaches at fewer gradients; a seed from far away, or of the wrong size,
// misleads no run.
TEST(NewtonOptimizer, SeededCurvatureReachesTheMinimumOfAFreshRun)
{
    const std::atomic<bool> cancelled{false};
    // Near the minimum, as a profile's fits start.
    std::vector<double> start(21, 1.02);
    start.back() = 0.99;
    // The larger problem has one more valley; its shared parameter is its last.
    std::vector<double> larger(start.begin(), start.end() - 1);
    larger.push_back(1.02);
    larger.push_back(start.back());
    SharedValleys wider(21);
    lum::HessianSeed near{lum::newtonHessian(wider, larger, cancelled), {}};
    ASSERT_TRUE(near.matrix);
    for (int i = 0; i < 20; ++i)
        near.index.push_back(i);
    near.index.push_back(21);
    std::vector<double> far(larger.size(), 40.0);
    const lum::HessianSeed away{lum::newtonHessian(wider, far, cancelled), near.index};
    const lum::HessianSeed wrongSize{near.matrix, {0, 1, 21}};

    // Without a seed, a run that carries its curvature differences its first Hessian.
    SharedValleys plain(20);
    std::vector<double> expected = start;
    int iterations = 0;
    const auto unseeded = lum::createOptimizer(QStringLiteral("newton"));
    unseeded->setCarryCurvature(true);
    unseeded->optimize(plain, expected, cancelled, iterations);
    const lum::HessianSeed* const seeds[] = {&near, &away, &wrongSize};
    for (const lum::HessianSeed* seed : seeds) {
        const auto seeded = lum::createOptimizer(QStringLiteral("newton"));
        seeded->setCarryCurvature(true);
        seeded->seedCurvature(*seed);
        SharedValleys valleys(20);
        std::vector<double> x = start;
        seeded->optimize(valleys, x, cancelled, iterations);
        // A step on a kept factor that gains less than 1e-9 ends the run, as it ends the
        // unseeded one: both lie within about 1e-5 of the minimum x = 1, s = ±1.
        EXPECT_LT(valleys(x), 1e-8);
        for (std::size_t i = 0; i < x.size(); ++i) {
            EXPECT_NEAR(std::abs(x[i]), 1.0, 2e-5) << i;
            EXPECT_NEAR(std::abs(expected[i]), 1.0, 2e-5) << i;
        }
        if (seed == &near) {
            EXPECT_LT(valleys.gradients, plain.gradients);
        }
    }
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
