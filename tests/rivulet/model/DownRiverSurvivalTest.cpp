#include "PerformanceMeasureFixture.h"

#include "rivulet/model/DownRiverSurvival.h"

#include <gtest/gtest.h>

using rivulet::CovarianceMap;
using rivulet::DownRiverSurvival;
using rivulet::MeasureValue;
using rivulet::ParameterMap;
using rivulet::test::FiniteDifferenceTolerance;
using rivulet::test::MeasureModel;
using rivulet::test::Survival;

namespace {

// Leaves only the same-year paths free below site `lastHoldOver`, so that it becomes the
// model's residualization site.
void fixHoldOversBelow(MeasureModel& model, int lastHoldOver)
{
    auto& structure = model.structure;
    const int siteCount = structure.siteCount();
    const int yearCount = structure.yearCount();
    for (int y1 = 0; y1 < yearCount; ++y1) {
        for (int y2 = y1 + 1; y2 < yearCount; ++y2) {
            structure.fix(structure.lambdaIndex(0, y1, y2), 0.0);
            for (int s = lastHoldOver + 1; s < siteCount - 1; ++s)
                structure.fix(structure.phiIndex(0, s, y1, y2), 0.0);
        }
    }
    model.resetVector();
}

auto product(const MeasureModel& model, int r, int y)
{
    return [&model, r, y](const ParameterMap& parameters) {
        const CovarianceMap none(model.structure, nullptr);
        return DownRiverSurvival(model.sites, parameters, none).estimate(r, y);
    };
}

} // namespace

TEST(DownRiverSurvival, NothingBelowTheResidualizationSiteGivesOne)
{
    MeasureModel model(3, 1, {{0, 0}});
    model.setRandomCovariance();
    const Survival survival(model);
    const DownRiverSurvival downRiver(model.sites, survival.parameters, survival.covariances);
    ASSERT_EQ(downRiver.residualizationSite(), 1);
    const MeasureValue value = downRiver.measure(0, 0);
    EXPECT_EQ(value.estimate, 1.0);
    EXPECT_EQ(value.variance, 0.0);
    EXPECT_TRUE(value.hasStandardError());

    // A free hold-over into the final site makes that the residualization site.
    MeasureModel holdOver(5, 2, {{0, 0}});
    const Survival noCovariance(holdOver);
    const DownRiverSurvival atFinal(holdOver.sites, noCovariance.parameters,
                                    noCovariance.covariances);
    EXPECT_EQ(atFinal.residualizationSite(), 4);
    EXPECT_EQ(atFinal.estimate(0, 1), 1.0);
    EXPECT_FALSE(atFinal.measure(0, 1).hasStandardError());
}

TEST(DownRiverSurvival, ProductOfTheSameYearReachesBelowResidualization)
{
    MeasureModel model(6, 2, {{0, 0}});
    fixHoldOversBelow(model, 2);
    model.setPhi(0, 3, 0, 0, 0.9);
    model.setPhi(0, 4, 0, 0, 0.7);
    model.setPhi(0, 3, 1, 1, 0.6);
    model.setPhi(0, 4, 1, 1, 0.5);
    model.setRandomCovariance(9);
    const Survival survival(model);
    const DownRiverSurvival downRiver(model.sites, survival.parameters, survival.covariances);

    ASSERT_EQ(downRiver.residualizationSite(), 2);
    EXPECT_DOUBLE_EQ(downRiver.estimate(0, 0), 0.9 * 0.7);
    EXPECT_DOUBLE_EQ(downRiver.estimate(0, 1), 0.6 * 0.5);
    const double v33 = survival.covariances.phiCovariance(0, 3, 1, 1, 3, 1, 1);
    const double v44 = survival.covariances.phiCovariance(0, 4, 1, 1, 4, 1, 1);
    const double v34 = survival.covariances.phiCovariance(0, 3, 1, 1, 4, 1, 1);
    EXPECT_NEAR(downRiver.variance(0, 1), 0.25 * v33 + 0.36 * v44 + 2 * 0.3 * v34, 1e-15);
    for (int y = 0; y < 2; ++y) {
        EXPECT_NEAR(downRiver.variance(0, y),
                    model.propagatedCovariance(product(model, 0, y), product(model, 0, y)),
                    FiniteDifferenceTolerance);
    }
}
