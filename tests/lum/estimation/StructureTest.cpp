#include "TestFunctions.h"

#include "lum/estimation/NumericalHessian.h"

#include <gtest/gtest.h>

#include <cmath>
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
    // Parameters 2 and 3 share no term: exactly 0, not rounding noise.
    EXPECT_EQ(aware(2, 3), 0.0);
    EXPECT_EQ(aware(3, 2), 0.0);

    // The plain view counts full evaluations, each of 5 terms.
    const std::uint64_t n = 7;
    EXPECT_EQ(plain.termEvaluations(), 1 + 2 * n + 2 * n * (n - 1));
    EXPECT_LT(separable.termEvaluations() * 3, plain.termEvaluations() * 5);
}

} // namespace
