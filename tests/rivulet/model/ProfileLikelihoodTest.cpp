// Profile-likelihood intervals against binomial likelihoods whose limits are known in closed
// form.
#include "rivulet/model/ProfileLikelihood.h"
#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/NewtonOptimizer.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/SoftmaxTransform.h"
#include "rivulet/model/ParameterBlocks.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rivulet::test {
namespace {

// y successes of n at probability p, as a negative log-likelihood.
double binomial(double p, int y, int n)
{
    return -(y > 0 ? y * std::log(p) : 0.0) - (n > y ? (n - y) * std::log(1.0 - p) : 0.0);
}

// Every one of 10 fish seen at the first site (its detection estimated at 1), and 6 of 20 seen
// at the second, which only the product of the two informs: the other parameter must be
// refitted along the profile, or the limit comes out wrong.
class Detections : public lum::Func
{
public:
    double operator()(const std::vector<double>& x) override
    {
        return binomial(x[0], 10, 10) + binomial(x[0] * x[1], 6, 20);
    }
};

TEST(ProfileLikelihood, AnEstimateAtOneGetsTheOneSidedLimitWhereLnLDropsBy1_92)
{
    Detections func;
    const lum::SoftmaxTransform transform(2, {{{0}, 1.0}, {{1}, 1.0}});
    const std::unique_ptr<lum::OptimizerI> optimizer = lum::createOptimizer(QStringLiteral("0"));
    const std::atomic<bool> cancel{false};
    ProfileLikelihood profile(func, transform, *optimizer, 1e-8, cancel);
    const ParameterBlock block{{0, 1}, {0}};
    const std::vector<double> estimates{1.0, 0.3};

    const std::optional<ProfileInterval> first = profile.interval(block, estimates, 0);
    ASSERT_TRUE(first);
    // -2 · 10 ln θ = 3.84: the second term is matched by p = 0.3 / θ at every θ.
    EXPECT_NEAR(first->lower, std::exp(-ProfileLikelihood::ChiSquare95 / 20.0), 1e-3);
    EXPECT_EQ(first->upper, 1.0);
    const double best = func(estimates);
    EXPECT_NEAR(func({first->lower, 0.3 / first->lower}) - best, ProfileLikelihood::ChiSquare95 / 2,
                1e-3);

    // The second, inside its space, gets limits on both sides; holding 0.3 / θ, the first
    // refits to 1 wherever it can.
    const std::optional<ProfileInterval> second = profile.interval(block, estimates, 1);
    ASSERT_TRUE(second);
    EXPECT_LT(second->lower, 0.3);
    EXPECT_GT(second->upper, 0.3);
    EXPECT_NEAR(binomial(second->lower, 6, 20) - binomial(0.3, 6, 20),
                ProfileLikelihood::ChiSquare95 / 2, 1e-3);
}

// Newton's method that gives up on every point, as it may where the others run off to their
// bounds.
class GivesUp : public lum::NewtonOptimizer
{
public:
    void optimize(lum::Func&, std::vector<double>&, const std::atomic<bool>&, int&) override
    {
        throw NR3::NRError("too many iterations in Newton", NR3::NRError::IterationLimit);
    }
};

TEST(ProfileLikelihood, APointTheOptimizerFailsOnIsFittedByTheFallback)
{
    Detections func;
    const lum::SoftmaxTransform transform(2, {{{0}, 1.0}, {{1}, 1.0}});
    GivesUp failing;
    const std::unique_ptr<lum::OptimizerI> fletch = lum::createOptimizer(QStringLiteral("0"));
    const std::atomic<bool> cancel{false};
    const ParameterBlock block{{0, 1}, {0}};
    const std::vector<double> estimates{1.0, 0.3};

    ProfileLikelihood alone(func, transform, failing, 1e-8, cancel);
    EXPECT_FALSE(alone.interval(block, estimates, 0));
    ProfileLikelihood rescued(func, transform, failing, 1e-8, cancel);
    rescued.setFallback(fletch.get());
    const std::optional<ProfileInterval> limits = rescued.interval(block, estimates, 0);
    ASSERT_TRUE(limits);
    EXPECT_NEAR(limits->lower, std::exp(-ProfileLikelihood::ChiSquare95 / 20.0), 1e-3);
}

// With c-hat = 2.5 the cut-off is 3.84 · 2.5: the one-sided limit moves to exp(−3.84·2.5/20).
TEST(ProfileLikelihood, ChatWidensTheCutOff)
{
    Detections func;
    const lum::SoftmaxTransform transform(2, {{{0}, 1.0}, {{1}, 1.0}});
    const std::unique_ptr<lum::OptimizerI> optimizer = lum::createOptimizer(QStringLiteral("0"));
    const std::atomic<bool> cancel{false};
    ProfileLikelihood profile(func, transform, *optimizer, 1e-8, cancel, 2.5);
    const std::optional<ProfileInterval> first =
        profile.interval(ParameterBlock{{0, 1}, {0}}, {1.0, 0.3}, 0);
    ASSERT_TRUE(first);
    EXPECT_NEAR(first->lower, std::exp(-ProfileLikelihood::ChiSquare95 * 2.5 / 20.0), 1e-3);
    EXPECT_EQ(first->upper, 1.0);
}

} // namespace
} // namespace rivulet::test
