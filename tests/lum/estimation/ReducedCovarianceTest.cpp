// The covariance of estimates some of which sit at a bound or are not informed by the data:
// binomial and multinomial likelihoods whose answers are known in closed form.
#include "lum/estimation/ReducedCovariance.h"
#include "lum/estimation/Func.h"
#include "lum/estimation/SoftmaxTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using Status = lum::ReducedCovariance::Status;

// A negative log-likelihood given as a function; with `gradient`, it has an exact one.
class Likelihood : public lum::Func
{
public:
    using Value = std::function<double(const std::vector<double>&)>;
    using Gradient = std::function<void(const std::vector<double>&, std::vector<double>&)>;

    explicit Likelihood(Value value, Gradient gradient = {})
        : m_value(std::move(value)), m_gradient(std::move(gradient))
    {
    }
    double operator()(const std::vector<double>& x) override { return m_value(x); }
    bool hasExactGradient() const override { return static_cast<bool>(m_gradient); }
    void addTermsGradient(const std::vector<double>& x, const std::vector<int>&,
                          std::vector<double>& g) override
    {
        m_gradient(x, g);
    }

private:
    Value m_value;
    Gradient m_gradient;
};

// y successes of n at probability p.
double binomial(double p, int y, int n)
{
    return -(y > 0 ? y * std::log(p) : 0.0) - (n > y ? (n - y) * std::log(1.0 - p) : 0.0);
}

lum::SoftmaxTransform ownGroups(int n)
{
    std::vector<lum::SoftmaxTransform::Group> groups;
    for (int i = 0; i < n; ++i)
        groups.push_back({{i}, 1.0});
    return lum::SoftmaxTransform(n, groups);
}

lum::ReducedCovariance::Result reduce(lum::Func& func, const std::vector<double>& x,
                                      const lum::SoftmaxTransform& transform)
{
    const std::atomic<bool> cancelled{false};
    lum::ReducedCovariance::Result result;
    EXPECT_TRUE(lum::ReducedCovariance(cancelled, 1e-5).compute(func, x, transform, result));
    return result;
}

// Every fish of the first sample detected: its estimate is 1, held there; the other keeps the
// binomial variance p(1 - p)/n, as if the first were fixed (to the 1e-5 of second differences
// of values).
TEST(ReducedCovariance, AnEstimateAtItsBoundIsHeldAndTheOthersKeepTheirVariance)
{
    Likelihood func([](const std::vector<double>& x) {
        return binomial(x[0], 10, 10) + binomial(x[1], 3, 10) + binomial(x[2], 0, 25);
    });
    const auto result = reduce(func, {1.0, 0.3, 0.0}, ownGroups(3));
    EXPECT_EQ(result.statuses,
              (std::vector<Status>{Status::AtBound, Status::Estimated, Status::AtBound}));
    EXPECT_EQ(result.rank, 1);
    EXPECT_NEAR(result.covariance(1, 1), 0.3 * 0.7 / 10, 0.021 * 1e-5);
    EXPECT_EQ(result.covariance(0, 0), 0.0);
    EXPECT_EQ(result.covariance(0, 1), 0.0);
}

// Only the product of the first two is informed: both are not estimable, the third keeps its
// variance; the exact gradient gives the same.
TEST(ReducedCovariance, ParametersOnlyAProductInformsAreNotEstimable)
{
    const auto value = [](const std::vector<double>& x) {
        return binomial(x[0] * x[1], 12, 40) + binomial(x[2], 20, 50);
    };
    const auto gradient = [](const std::vector<double>& x, std::vector<double>& g) {
        const double q = x[0] * x[1];
        const double dq = -12 / q + 28 / (1 - q);
        g[0] += dq * x[1];
        g[1] += dq * x[0];
        g[2] += -20 / x[2] + 30 / (1 - x[2]);
    };
    Likelihood byValues(value);
    Likelihood byGradient(value, gradient);
    for (lum::Func* func :
         {static_cast<lum::Func*>(&byValues), static_cast<lum::Func*>(&byGradient)}) {
        const auto result = reduce(*func, {0.6, 0.5, 0.4}, ownGroups(3));
        EXPECT_EQ(result.statuses, (std::vector<Status>{Status::NotEstimable, Status::NotEstimable,
                                                        Status::Estimated}));
        EXPECT_EQ(result.rank, 2);
        EXPECT_TRUE(std::isnan(result.covariance(0, 2)));
        EXPECT_NEAR(result.covariance(2, 2), 0.4 * 0.6 / 50, 1e-7);
    }
}

// A multinomial set that uses its whole budget: its members move against each other, with the
// multinomial covariances x_i(δ_ij − x_j)/n.
TEST(ReducedCovariance, ASetUsingItsWholeBudgetKeepsTheMultinomialCovariances)
{
    Likelihood func(
        [](const std::vector<double>& x) { return -(4 * std::log(x[0]) + 6 * std::log(x[1])); });
    const auto result = reduce(func, {0.4, 0.6}, lum::SoftmaxTransform(2, {{{0, 1}, 1.0}}));
    EXPECT_EQ(result.statuses, (std::vector<Status>{Status::Estimated, Status::Estimated}));
    EXPECT_NEAR(result.covariance(0, 0), 0.4 * 0.6 / 10, 1e-8);
    EXPECT_NEAR(result.covariance(1, 1), 0.6 * 0.4 / 10, 1e-8);
    EXPECT_NEAR(result.covariance(0, 1), -0.4 * 0.6 / 10, 1e-8);
}

} // namespace
