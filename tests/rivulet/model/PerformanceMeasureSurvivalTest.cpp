#include "PerformanceMeasureFixture.h"

#include <gtest/gtest.h>

#include <cmath>

using rivulet::CovarianceMap;
using rivulet::MeasureValue;
using rivulet::ParameterMap;
using rivulet::PMSurvivalToSite;
using rivulet::test::FiniteDifferenceTolerance;
using rivulet::test::MeasureModel;
using rivulet::test::Survival;

namespace {

// Survival of release r to site s in year y (over all years when y < 0) at the parameter map,
// for finite differences.
auto survivalAt(const MeasureModel& model, int r, int s, int y = -1)
{
    return [&model, r, s, y](const ParameterMap& parameters) {
        const CovarianceMap none(model.structure, nullptr);
        const PMSurvivalToSite survival(model.releases, model.sites, model.years, parameters, none);
        return y < 0 ? survival.survivalToSite(r, s) : survival.survivalToSiteInYear(r, s, y);
    };
}

} // namespace

TEST(PerformanceMeasureSurvival, HoldOversAddUpOverTheYearsOfTheSiteAbove)
{
    MeasureModel model(5, 2, {{0, 0}});
    model.setPhi(0, 1, 0, 0, 0.5);
    model.setPhi(0, 1, 0, 1, 0.3);
    model.setPhi(0, 2, 0, 0, 0.7);
    model.setPhi(0, 2, 0, 1, 0.2);
    model.setPhi(0, 2, 1, 1, 0.9);
    model.setPhi(0, 3, 0, 0, 0.6);
    model.setPhi(0, 3, 0, 1, 0.1);
    model.setPhi(0, 3, 1, 1, 0.4);
    const Survival measures(model);
    const PMSurvivalToSite& survival = measures.measure;

    EXPECT_DOUBLE_EQ(survival.survivalToSite(0, 1), 0.8);
    const double p20 = 0.7 * 0.5;
    const double p21 = 0.2 * 0.5 + 0.9 * 0.3;
    EXPECT_DOUBLE_EQ(survival.survivalToSiteInYear(0, 2, 0), p20);
    EXPECT_DOUBLE_EQ(survival.survivalToSiteInYear(0, 2, 1), p21);
    EXPECT_DOUBLE_EQ(survival.survivalToSiteInYear(0, 3, 0), 0.6 * p20);
    EXPECT_DOUBLE_EQ(survival.survivalToSiteInYear(0, 3, 1), 0.1 * p20 + 0.4 * p21);
    EXPECT_DOUBLE_EQ(survival.survivalToSite(0, 3), 0.6 * p20 + 0.1 * p20 + 0.4 * p21);
    EXPECT_DOUBLE_EQ(survival.overallCohortSurvival().estimate, survival.survivalToSite(0, 3));
    // Fish are alive at their release site; the final site and positions outside the lists
    // have no survival of their own.
    EXPECT_EQ(survival.survivalToSite(0, 0), 1.0);
    EXPECT_EQ(survival.survivalToSite(0, 4), 0.0);
    EXPECT_EQ(survival.survivalToSite(1, 1), 0.0);
    EXPECT_EQ(survival.survivalToSiteInYear(0, 1, -1), 0.0);
}

TEST(PerformanceMeasureSurvival, LaterReleaseStartsAtItsOwnSiteAndYear)
{
    MeasureModel model(5, 3, {{0, 0}, {1, 1}});
    model.setPhi(1, 2, 1, 1, 0.6);
    model.setPhi(1, 2, 1, 2, 0.3);
    model.setPhi(1, 3, 1, 1, 0.5);
    model.setPhi(1, 3, 1, 2, 0.25);
    model.setPhi(1, 3, 2, 2, 0.8);
    const Survival measures(model);
    const PMSurvivalToSite& survival = measures.measure;

    EXPECT_EQ(survival.relSite(1), 1);
    EXPECT_EQ(survival.relYear(1), 1);
    EXPECT_EQ(survival.survivalToSiteInYear(1, 2, 0), 0.0);
    EXPECT_DOUBLE_EQ(survival.survivalToSiteInYear(1, 2, 1), 0.6);
    EXPECT_DOUBLE_EQ(survival.survivalToSiteInYear(1, 2, 2), 0.3);
    EXPECT_DOUBLE_EQ(survival.survivalToSiteInYear(1, 3, 2), 0.25 * 0.6 + 0.8 * 0.3);
    EXPECT_DOUBLE_EQ(survival.survivalToSite(1, 3), 0.5 * 0.6 + 0.25 * 0.6 + 0.8 * 0.3);
    EXPECT_EQ(survival.survivalToSite(1, 1), 1.0);
    EXPECT_EQ(survival.survivalToSite(1, 0), 0.0);
}

TEST(PerformanceMeasureSurvival, VarianceOfTwoReachProductIsTheDeltaMethod)
{
    MeasureModel model(4, 1, {{0, 0}});
    model.setPhi(0, 1, 0, 0, 0.8);
    model.setPhi(0, 2, 0, 0, 0.6);
    model.setRandomCovariance();
    const Survival measures(model);
    const PMSurvivalToSite& survival = measures.measure;

    const double v11 = measures.covariances.phiCovariance(0, 1, 0, 0, 1, 0, 0);
    const double v22 = measures.covariances.phiCovariance(0, 2, 0, 0, 2, 0, 0);
    const double v12 = measures.covariances.phiCovariance(0, 1, 0, 0, 2, 0, 0);
    const double byHand = 0.6 * 0.6 * v11 + 0.8 * 0.8 * v22 + 2.0 * 0.8 * 0.6 * v12;
    EXPECT_NEAR(survival.survivalVariance(0, 2), byHand, 1e-15);
    EXPECT_NEAR(survival.survivalVariance(0, 2),
                model.propagatedCovariance(survivalAt(model, 0, 2), survivalAt(model, 0, 2)),
                FiniteDifferenceTolerance);
    const MeasureValue overall = survival.overallCohortSurvival();
    EXPECT_TRUE(overall.hasStandardError());
    EXPECT_NEAR(overall.standardError(), std::sqrt(byHand), 1e-15);
}

TEST(PerformanceMeasureSurvival, YearCovariancesMatchFiniteDifferencePropagation)
{
    MeasureModel model(5, 3, {{0, 0}, {1, 0}});
    double value = 0.31;
    for (double& component : model.x) {
        component = value;
        value = std::fmod(value + 0.17, 0.9) + 0.05;
    }
    model.setRandomCovariance(11);
    const Survival measures(model);
    const PMSurvivalToSite& survival = measures.measure;

    for (int r = 0; r < 2; ++r) {
        for (int s = r + 1; s <= 3; ++s) {
            for (int y = 0; y < 3; ++y) {
                for (int y2 = 0; y2 < 3; ++y2) {
                    const double expected = model.propagatedCovariance(survivalAt(model, r, s, y),
                                                                       survivalAt(model, r, s, y2));
                    EXPECT_NEAR(survival.yearCovariance(r, s, y, y2), expected,
                                FiniteDifferenceTolerance)
                        << "r " << r << " s " << s << " y " << y << " y2 " << y2;
                }
            }
            EXPECT_NEAR(
                survival.survivalVariance(r, s),
                model.propagatedCovariance(survivalAt(model, r, s), survivalAt(model, r, s)),
                FiniteDifferenceTolerance)
                << "r " << r << " s " << s;
        }
    }
}

TEST(PerformanceMeasureSurvival, EquatedAndFixedParametersPropagateThroughTheirFreePosition)
{
    MeasureModel model(5, 2, {{0, 0}});
    const auto& s = model.structure;
    model.structure.equate(s.phiIndex(0, 2, 0, 0), s.phiIndex(0, 3, 0, 0));
    model.structure.fix(s.phiIndex(0, 2, 1, 1), 1.0);
    model.resetVector(0.45);
    model.x.back() = 0.7;
    model.setRandomCovariance(3);
    const Survival measures(model);
    const PMSurvivalToSite& survival = measures.measure;

    EXPECT_NEAR(survival.survivalVariance(0, 3),
                model.propagatedCovariance(survivalAt(model, 0, 3), survivalAt(model, 0, 3)),
                FiniteDifferenceTolerance);
    EXPECT_NEAR(survival.yearCovariance(0, 3, 0, 1),
                model.propagatedCovariance(survivalAt(model, 0, 3, 0), survivalAt(model, 0, 3, 1)),
                FiniteDifferenceTolerance);
}

TEST(PerformanceMeasureSurvival, WithoutCovarianceOrWithANegativeVarianceThereIsNoStandardError)
{
    MeasureModel model(5, 2, {{0, 0}});
    const Survival measures(model);
    const PMSurvivalToSite& survival = measures.measure;

    EXPECT_FALSE(survival.hasCovariance());
    EXPECT_EQ(survival.survivalVariance(0, 3), 0.0);
    EXPECT_EQ(survival.yearCovariance(0, 3, 0, 1), 0.0);
    const MeasureValue value = survival.survival(0, 2);
    EXPECT_TRUE(value.hasEstimate());
    EXPECT_FALSE(value.hasStandardError());
    // Only survival that no free parameter moves is fixed, and so has no standard error.
    MeasureModel oneReach(3, 1, {{0, 0}});
    EXPECT_FALSE(Survival(oneReach).measure.survival(0, 1).isFixed);
    oneReach.structure.fix(oneReach.structure.phiIndex(0, 1, 0, 0), 1.0);
    oneReach.resetVector();
    EXPECT_TRUE(Survival(oneReach).measure.survival(0, 1).isFixed);

    // A variance that round-off left negative, or one that is not a number, has none either.
    const MeasureValue roundOff{0.5, -1e-18, true};
    EXPECT_FALSE(roundOff.hasStandardError());
    const MeasureValue notFinite{0.5, std::nan(""), true};
    EXPECT_FALSE(notFinite.hasStandardError());
    const MeasureValue zero{0.5, 0.0, true};
    EXPECT_TRUE(zero.hasStandardError());
}
