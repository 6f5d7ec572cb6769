#include "TestFunctions.h"

#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/NRError.h"

#include <gtest/gtest.h>

#include <cmath>

using lum::DenseMatrix;
using rivulet::test::maxDifference;
using rivulet::test::product;

namespace {

const char* const singular = "Singular Hessian in calculating covariance matrix";

TEST(Covariance, OfAQuadraticIsTheInverseOfItsMatrix)
{
    std::unique_ptr<rivulet::test::Quadratic> func = rivulet::test::standardQuadratic();
    const std::atomic<bool> cancelled{false};
    lum::CovarianceCalculator calculator(cancelled);
    DenseMatrix covariance(5, 5);
    DenseMatrix hessian;
    const lum::Expected<bool> computed =
        calculator.compute(*func, func->centre(), covariance, &hessian);

    ASSERT_TRUE(computed);
    EXPECT_TRUE(*computed);
    EXPECT_LT(maxDifference(hessian, func->a()), 1e-4);
    // The decision on a Hessian given is the same.
    DenseMatrix fromHessian;
    ASSERT_TRUE(calculator.computeFrom(hessian, fromHessian).valueOr(false));
    EXPECT_EQ(fromHessian, covariance);
    EXPECT_LT(maxDifference(product(func->a(), covariance), DenseMatrix::identity(5)), 1e-4);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            EXPECT_NEAR(covariance(i, j), covariance(j, i), 1e-12);
}

// f ignores x1, so row and column 1 of its Hessian are 0.
double ignoresSecond(const std::vector<double>& x)
{
    return (x[0] - 1.0) * (x[0] - 1.0) + 2.0 * (x[2] - 2.0) * (x[2] - 2.0) + 4.0;
}

void expectNoCovariance(lum::Func& func, const std::vector<double>& x)
{
    const std::atomic<bool> cancelled{false};
    const int n = static_cast<int>(x.size());
    DenseMatrix covariance(n, n, 7.0);
    const lum::Expected<bool> computed =
        lum::CovarianceCalculator(cancelled).compute(func, x, covariance);
    ASSERT_FALSE(computed);
    EXPECT_EQ(computed.error().message, QString::fromLatin1(singular));
    EXPECT_EQ(covariance, DenseMatrix(n, n, 7.0));
}

TEST(Covariance, ASingularHessianGivesNoCovariance)
{
    rivulet::test::LambdaFunc func(ignoresSecond);
    expectNoCovariance(func, {1.0, 0.5, 2.0});
}

TEST(Covariance, AParameterEstimatedAtZeroGivesNoCovarianceRatherThanNaN)
{
    // The zero component gets no difference step: its Hessian row is 0/0.
    rivulet::test::LambdaFunc func([](const std::vector<double>& x) {
        return (x[0] - 1.0) * (x[0] - 1.0) + x[1] * x[1] + 3.0;
    });
    expectNoCovariance(func, {1.0, 0.0});
}

TEST(Covariance, ANegativeVarianceGivesNoCovariance)
{
    // A saddle: the Hessian is regular but its inverse has a negative variance, whose square
    // root would be NaN.
    rivulet::test::LambdaFunc func([](const std::vector<double>& x) {
        return (x[0] - 1.0) * (x[0] - 1.0) - (x[1] - 1.0) * (x[1] - 1.0) + 3.0;
    });
    expectNoCovariance(func, {1.0, 1.0});
}

TEST(Covariance, CancellationStopsWithinOneElementAndLeavesTheMatrix)
{
    std::unique_ptr<rivulet::test::Quadratic> quadratic = rivulet::test::standardQuadratic();
    std::atomic<bool> cancelled{false};
    rivulet::test::LambdaFunc func(
        [&quadratic](const std::vector<double>& x) { return (*quadratic)(x); });
    func.onEvaluate = [&cancelled](int count) {
        if (count == 10)
            cancelled = true;
    };
    DenseMatrix covariance(5, 5, 7.0);
    lum::CovarianceCalculator calculator(cancelled);
    const lum::Expected<bool> computed = calculator.compute(func, quadratic->centre(), covariance);
    ASSERT_TRUE(computed); // a cancel is no failure
    EXPECT_FALSE(*computed);
    EXPECT_LE(func.evaluations(), 10 + 4);
    EXPECT_EQ(covariance, DenseMatrix(5, 5, 7.0));
}

} // namespace
