// The store of fitted models.
#include "SimulatedData.h"

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace rivulet::test {
namespace {

// One release, sites 0 (release), 1 and 2 (final), one year: phi (0), lambda (1), p (2).
// Every fish seen at site 1 was seen again at the final site.
const char* const kSmallStudy = "1 3 1\n0\n0\n100\n\n30\n50\n20\n0\n50 \n";

struct ResultsFixture
{
    SimulatedData data{QString::fromLatin1(kSmallStudy)};
    EstimationResults results{data.releases, data.sites, data.years};

    std::unique_ptr<ParameterStructure> structure() const
    {
        return std::make_unique<ParameterStructure>(data.releases, data.sites, data.years);
    }
    const ModelResult& record(const EquatingScheme& scheme, double aic, bool withCovariance)
    {
        auto covariance = std::make_unique<lum::DenseMatrix>(3, 3);
        for (int i = 0; i < 3; ++i) {
            (*covariance)(i, i) = 0.01 * (i + 1);
        }
        (*covariance)(0, 2) = (*covariance)(2, 0) = 0.002;
        return results.record(scheme, -aic / 2 + 3, aic, {0.8, 0.3, 0.6},
                              withCovariance ? std::move(covariance) : nullptr, structure());
    }
};

TEST(EstimationResultsTest, OwnsEachModelWithMapsOnItsOwnStructureEstimatesAndMatrix)
{
    ResultsFixture f;
    const ModelResult& with = f.record({1, 1}, 120.0, true);
    const ModelResult& without = f.record({2, 2}, 110.0, false);
    ASSERT_EQ(f.results.count(), 2);

    EXPECT_EQ(with.captureCode, 1);
    EXPECT_EQ(with.survivalCode, 1);
    EXPECT_EQ(with.aic, 120.0);
    EXPECT_EQ(with.logLikelihood, -57.0);
    EXPECT_EQ(with.numParameters(), 3);
    EXPECT_TRUE(with.hasCovariance());
    EXPECT_EQ(with.parameters, &f.results.parameterMap(0));
    EXPECT_EQ(with.covariances, &f.results.covarianceMap(0));
    EXPECT_EQ(with.parameters->phi(0, 1, 0, 0), 0.8);
    EXPECT_EQ(with.parameters->lambda(0, 0, 0), 0.3);
    EXPECT_EQ(with.parameters->capture(0, 1, 0), 0.6);
    EXPECT_DOUBLE_EQ(with.covariances->lambdaVariance(0, 0, 0), 0.02);
    EXPECT_DOUBLE_EQ(with.covariances->captureCovariance(0, 1, 0, 1, 0), 0.03);
    EXPECT_DOUBLE_EQ(f.results.covariance(0)->operator()(0, 2), 0.002);

    EXPECT_FALSE(without.hasCovariance());
    EXPECT_EQ(f.results.covariance(1), nullptr);
    EXPECT_EQ(without.covariances->phiCovariance(0, 1, 0, 0, 1, 0, 0), 0.0);
    EXPECT_EQ(f.results.scheme(1), (EquatingScheme{2, 2}));
    EXPECT_EQ(f.results.results(), (std::vector<const ModelResult*>{&with, &without}));
    EXPECT_EQ(f.results.indexOf({2, 2}), 1);
    EXPECT_EQ(f.results.indexOf({4, 4}), -1);
    EXPECT_THROW(f.results.result(2), std::out_of_range);
    EXPECT_THROW(f.results.record({3, 3}, 1.0, 1.0, {}, nullptr, nullptr), std::invalid_argument);
}

TEST(EstimationResultsTest, TheLowestAicIsBestAndTheFirstOfEqualsWins)
{
    ResultsFixture f;
    EXPECT_EQ(f.results.bestIndex(), -1);
    f.record({4, 4}, 130.0, true);
    f.record({2, 4}, 110.5, true);
    f.record({2, 2}, 110.5, false);
    f.record({1, 1}, 140.0, true);
    EXPECT_EQ(f.results.bestIndex(), 1);
    EXPECT_DOUBLE_EQ(f.results.deltaAic(0), 19.5);
    EXPECT_DOUBLE_EQ(f.results.deltaAic(1), 0.0);
    EXPECT_DOUBLE_EQ(f.results.deltaAic(2), 0.0);
    EXPECT_DOUBLE_EQ(f.results.deltaAic(3), 29.5);

    f.results.clear();
    EXPECT_TRUE(f.results.isEmpty());
    EXPECT_EQ(f.results.bestIndex(), -1);
    EXPECT_TRUE(f.results.results().empty());
}

} // namespace
} // namespace rivulet::test
