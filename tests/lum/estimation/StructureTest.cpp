#include "TestFunctions.h"

#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/NumericalHessian.h"
#include "lum/estimation/OptimizerFactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

using lum::DenseMatrix;
using rivulet::test::maxDifference;
using rivulet::test::PlainView;
using rivulet::test::SeparableFunction;

namespace {

const std::vector<double> point{0.9, 1.3, 0.7, 1.1, 1.6, 0.8, 1.2};

TEST(FuncGradient, ForwardDifferencesWithExactSteps)
{
    // f = x0^2 + 3 x1 + x2^3: the forward difference of x0 with step h is 2 x0 + h exactly.
    rivulet::test::LambdaFunc func(
        [](const std::vector<double>& x) { return x[0] * x[0] + 3.0 * x[1] + x[2] * x[2] * x[2]; });
    std::vector<double> g;
    func.gradient({2.0, 0.0, -1.0}, g);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_NEAR(g[0], 4.0, 1e-6);
    EXPECT_NEAR(g[1], 3.0, 1e-6); // a component at 0 gets the absolute step 1e-8
    EXPECT_NEAR(g[2], 3.0, 1e-6);
    EXPECT_EQ(func.evaluations(), 4); // f0 once, then one value per component
    EXPECT_EQ(func.termEvaluations(), 4u);
}

TEST(FuncTerms, CountedValuesReplaceNonFiniteValuesByTheLargestDouble)
{
    rivulet::test::LambdaFunc func([](const std::vector<double>& x) { return std::log(x[0]); });
    EXPECT_EQ(func.countedValue({-1.0}), std::numeric_limits<double>::max());
    EXPECT_EQ(func.countedValue({0.0}), std::numeric_limits<double>::max());
    EXPECT_EQ(func.countedValue({1.0}), 0.0);
}

TEST(FuncTerms, DefaultTermValuesAddUpToTheFunction)
{
    SeparableFunction func;
    std::vector<double> values;
    func.termValues(point, values);
    ASSERT_EQ(values.size(), 5u);
    double sum = 0.0;
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(values[t], func.term(point, t));
        sum += values[t];
    }
    EXPECT_NEAR(sum, func(point), 1e-12);
}

TEST(StructureAwareGradient, EqualsThePlainGradientWithFewerTermEvaluations)
{
    SeparableFunction separable;
    PlainView plain(separable);
    std::vector<double> aware;
    std::vector<double> reference;
    separable.gradient(point, aware);
    plain.gradient(point, reference);
    EXPECT_LT(maxDifference(aware, reference), 1e-5);

    // Plain: n + 1 full evaluations of 5 terms each. Aware: every term once at x, then the
    // terms of each parameter (each term has 2 parameters).
    EXPECT_EQ(plain.termEvaluations(), 8u);
    EXPECT_EQ(separable.termEvaluations(), 5u + 10u);
    EXPECT_LT(separable.termEvaluations(), plain.termEvaluations() * 5u);
}

TEST(StructureAwareGradient, MatchesTheAnalyticGradient)
{
    SeparableFunction separable;
    std::vector<double> g;
    separable.gradient(point, g);
    std::vector<double> central(point.size());
    for (std::size_t j = 0; j < point.size(); ++j) {
        std::vector<double> up = point;
        std::vector<double> down = point;
        up[j] += 1e-5;
        down[j] -= 1e-5;
        central[j] = (separable(up) - separable(down)) / 2e-5;
    }
    EXPECT_LT(maxDifference(g, central), 1e-5);
}

std::uint64_t expectedAwareHessianCost(const SeparableFunction& f)
{
    std::uint64_t cost = static_cast<std::uint64_t>(f.termCount());
    for (int i = 0; i < f.parameterCount(); ++i) {
        cost += 2 * f.termsOfParameter(i).size();
        for (int j = 0; j < i; ++j) {
            std::vector<int> shared;
            std::set_intersection(f.termsOfParameter(i).begin(), f.termsOfParameter(i).end(),
                                  f.termsOfParameter(j).begin(), f.termsOfParameter(j).end(),
                                  std::back_inserter(shared));
            cost += 4 * shared.size();
        }
    }
    return cost;
}

TEST(StructureAwareHessian, EqualsThePlainHessianWithFewerTermEvaluations)
{
    SeparableFunction separable;
    PlainView plain(separable);
    const std::atomic<bool> cancelled{false};
    DenseMatrix aware;
    DenseMatrix reference;
    ASSERT_TRUE(lum::NumericalHessian(cancelled, 1e-5).compute(separable, point, aware));
    ASSERT_TRUE(lum::NumericalHessian(cancelled, 1e-5).compute(plain, point, reference));

    const DenseMatrix exact = separable.exactHessian(point);
    EXPECT_LT(maxDifference(aware, exact), 1e-4);
    EXPECT_LT(maxDifference(reference, exact), 1e-3);
    EXPECT_LT(maxDifference(aware, reference), 1e-3);
    // Parameters 2 and 3 share no term: exactly 0, not rounding noise.
    EXPECT_EQ(aware(2, 3), 0.0);
    EXPECT_EQ(aware(3, 2), 0.0);

    // The plain view counts full evaluations, each of 5 terms.
    const std::uint64_t n = 7;
    EXPECT_EQ(plain.termEvaluations(), 1 + 2 * n + 2 * n * (n - 1));
    EXPECT_EQ(separable.termEvaluations(), expectedAwareHessianCost(separable));
    EXPECT_LT(separable.termEvaluations() * 3, plain.termEvaluations() * 5);
}

TEST(StructureAwareHessian, CovarianceAgreesWithThePlainOne)
{
    SeparableFunction separable;
    PlainView plain(separable);
    const std::atomic<bool> cancelled{false};
    // At the minimum, where the covariance means something.
    std::vector<double> x = point;
    int iterations = 0;
    lum::createOptimizer(QStringLiteral("1"))->optimize(separable, x, cancelled, iterations);

    DenseMatrix aware(7, 7);
    DenseMatrix reference(7, 7);
    lum::CovarianceCalculator(cancelled).compute(separable, x, aware);
    lum::CovarianceCalculator(cancelled).compute(plain, x, reference);
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j)
            EXPECT_NEAR(aware(i, j), reference(i, j), 1e-4 * std::abs(reference(i, i)))
                << i << "," << j;
}

TEST(StructureAwareFletch, ReachesTheSameMinimumWithFewerTermEvaluations)
{
    SeparableFunction separable;
    PlainView plain(separable);
    const std::atomic<bool> cancelled{false};
    std::vector<double> xAware = point;
    std::vector<double> xPlain = point;
    int iterations = 0;
    lum::createOptimizer(QStringLiteral("0"))->optimize(separable, xAware, cancelled, iterations);
    lum::createOptimizer(QStringLiteral("0"))->optimize(plain, xPlain, cancelled, iterations);

    EXPECT_LT(maxDifference(xAware, xPlain), 1e-4);
    EXPECT_NEAR(separable(xAware), separable(xPlain), 1e-9);
    std::vector<double> g;
    separable.gradient(xAware, g);
    for (const double gi : g)
        EXPECT_LT(std::abs(gi), 1e-4);
    EXPECT_LT(separable.termEvaluations(), plain.termEvaluations() * 5);
}

} // namespace
