#include "PerformanceMeasureFixture.h"

#include "rivulet/model/AgeComposition.h"

#include <gtest/gtest.h>

#include <cmath>

using rivulet::AgeComposition;
using rivulet::CovarianceMap;
using rivulet::MeasureValue;
using rivulet::ParameterMap;
using rivulet::PMSurvivalToSite;
using rivulet::test::FiniteDifferenceTolerance;
using rivulet::test::MeasureModel;
using rivulet::test::Survival;

namespace {

// The composition at the parameter map, for finite differences.
auto share(const MeasureModel& model, int s, int y)
{
    return [&model, s, y](const ParameterMap& parameters) {
        const CovarianceMap none(model.structure, nullptr);
        const PMSurvivalToSite survival(model.releases, model.sites, model.years, parameters, none);
        return AgeComposition(model.releases, model.years, survival).proportion(s, y);
    };
}

MeasureModel twoYearModel()
{
    MeasureModel model(4, 2, {{0, 0}});
    model.setPhi(0, 1, 0, 0, 0.5);
    model.setPhi(0, 1, 0, 1, 0.3);
    model.setPhi(0, 2, 0, 0, 0.6);
    model.setPhi(0, 2, 0, 1, 0.2);
    model.setPhi(0, 2, 1, 1, 0.7);
    return model;
}

} // namespace

TEST(AgeComposition, SharesOfTheTwoMigrationYearsAtTheFirstSite)
{
    const MeasureModel model = twoYearModel();
    const Survival survival(model);
    const AgeComposition ages(model.releases, model.years, survival.measure);

    EXPECT_DOUBLE_EQ(survival.measure.survivalToSite(0, 1), 0.8);
    EXPECT_DOUBLE_EQ(ages.proportion(1, 0), 0.625);
    EXPECT_DOUBLE_EQ(ages.proportion(1, 1), 0.375);
    EXPECT_DOUBLE_EQ(ages.proportion(2, 0) + ages.proportion(2, 1), 1.0);
    EXPECT_EQ(ages.releaseYear(), 0);
    EXPECT_FALSE(ages.hasCovariance());
    EXPECT_EQ(ages.variance(1, 0), 0.0);
    EXPECT_FALSE(ages.measure(1, 0).hasStandardError());
}

TEST(AgeComposition, VarianceMatchesFiniteDifferencePropagation)
{
    MeasureModel model = twoYearModel();
    model.setRandomCovariance(5);
    const Survival survival(model);
    const AgeComposition ages(model.releases, model.years, survival.measure);

    for (int s = 1; s <= 2; ++s) {
        for (int y = 0; y < 2; ++y) {
            const double expected =
                model.propagatedCovariance(share(model, s, y), share(model, s, y));
            EXPECT_NEAR(ages.variance(s, y), expected, FiniteDifferenceTolerance)
                << "s " << s << " y " << y;
            EXPECT_TRUE(ages.measure(s, y).hasStandardError());
        }
    }
    // The two shares add up to 1, so they have the same variance.
    EXPECT_NEAR(ages.variance(1, 0), ages.variance(1, 1), 1e-14);
}

TEST(AgeComposition, ZeroTotalSurvivalLeavesTheShareUndefined)
{
    MeasureModel model = twoYearModel();
    model.setPhi(0, 1, 0, 0, 0.0);
    model.setPhi(0, 1, 0, 1, 0.0);
    model.setRandomCovariance();
    const Survival survival(model);
    const AgeComposition ages(model.releases, model.years, survival.measure);

    const MeasureValue value = ages.measure(1, 0);
    EXPECT_FALSE(value.hasEstimate());
    EXPECT_FALSE(value.hasStandardError());
    EXPECT_TRUE(std::isnan(ages.proportion(2, 1)));
}

TEST(AgeComposition, YearsBeforeTheReleaseYearHaveNoMigrants)
{
    MeasureModel model(4, 3, {{0, 1}});
    model.setPhi(0, 1, 1, 1, 0.4);
    model.setPhi(0, 1, 1, 2, 0.4);
    const Survival survival(model);
    const AgeComposition ages(model.releases, model.years, survival.measure);

    EXPECT_EQ(ages.releaseYear(), 1);
    EXPECT_EQ(ages.proportion(1, 0), 0.0);
    EXPECT_DOUBLE_EQ(ages.proportion(1, 1), 0.5);
    EXPECT_DOUBLE_EQ(ages.proportion(1, 2), 0.5);
}
