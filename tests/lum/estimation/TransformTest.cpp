#include "TestFunctions.h"

#include "lum/estimation/SoftmaxTransform.h"
#include "lum/estimation/TransformedFunc.h"

#include <gtest/gtest.h>

#include <cmath>

using rivulet::test::maxDifference;

namespace {

// Three members sharing all of a unit, a logistic one, two sharing what a fixed member of 0.6
// leaves, and two without room (a member fixed at 1).
lum::SoftmaxTransform mixedTransform()
{
    return lum::SoftmaxTransform(8, {{{0, 2, 5}, 1.0}, {{1}, 1.0}, {{3, 4}, 0.4}, {{6, 7}, 0.0}});
}

TEST(SoftmaxTransform, ProbabilitiesSurviveTheRoundTripThroughCoordinates)
{
    const lum::SoftmaxTransform transform = mixedTransform();
    // Sums 0.95, 1/3 and 0.35 of budgets 1, 1 and 0.4.
    const std::vector<double> x{0.5, 1.0 / 3, 0.3, 0.25, 0.1, 0.15, 0.0, 0.0};
    std::vector<double> z;
    std::vector<double> back;
    transform.toCoordinates(x, z);
    transform.toParameters(z, back);
    EXPECT_LT(maxDifference(back, x), 1e-12);
    // The logit of 1/3, by hand.
    EXPECT_NEAR(z[1], std::log(0.5), 1e-12);
}

TEST(SoftmaxTransform, MembersStayWithinTheirBudgetForAnyCoordinates)
{
    const lum::SoftmaxTransform transform = mixedTransform();
    const std::vector<double> extremes{-700.0, -50.0, 0.0, 50.0, 700.0};
    std::vector<double> x;
    for (const double a : extremes) {
        for (const double b : extremes) {
            for (const double c : extremes) {
                const std::vector<double> z{a, b, c, b, a, c, a, c};
                transform.toParameters(z, x);
                for (const double value : x)
                    EXPECT_GE(value, 0.0);
                // Summed both ways round: the budget holds in floating point too.
                EXPECT_LE(x[0] + x[2] + x[5], 1.0) << a << ' ' << b << ' ' << c;
                EXPECT_LE(x[5] + x[2] + x[0], 1.0);
                EXPECT_LE(x[1], 1.0);
                EXPECT_LE(x[3] + x[4], 0.4);
                EXPECT_LE(x[4] + x[3], 0.4);
                EXPECT_EQ(x[6], 0.0);
                EXPECT_EQ(x[7], 0.0);
            }
        }
    }
    // All members far up share the whole budget equally.
    transform.toParameters(std::vector<double>(8, 700.0), x);
    EXPECT_NEAR(x[0], 1.0 / 3, 1e-12);
    EXPECT_NEAR(x[3], 0.2, 1e-12);
}

TEST(TransformedFunc, ACoordinateEntersTheTermsOfEveryMemberOfItsGroup)
{
    rivulet::test::SeparableFunction separable;
    rivulet::test::PlainView plain(separable);
    const lum::SoftmaxTransform transform(
        7, {{{0, 3}, 1.0}, {{1}, 1.0}, {{2, 4, 6}, 0.8}, {{5}, 1.0}});
    lum::TransformedFunc aware(separable, transform);
    lum::TransformedFunc reference(plain, transform);

    const std::vector<double> z{0.3, -1.2, 0.8, -0.4, 1.5, 0.1, -2.0};
    std::vector<double> x;
    transform.toParameters(z, x);
    EXPECT_EQ(aware(z), separable(x));
    EXPECT_EQ(aware.parametersAt(z), x);
    // Differences that evaluate only the terms a coordinate enters agree with full evaluations:
    // a term left out of a coordinate's list would change its component.
    std::vector<double> gAware;
    std::vector<double> gReference;
    aware.gradient(z, gAware);
    reference.gradient(z, gReference);
    EXPECT_LT(maxDifference(gAware, gReference), 1e-5);
}

} // namespace
