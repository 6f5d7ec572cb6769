// Confidence intervals, AICc with Akaike weights and model averaging, against values worked
// out by hand from the formulas (Burnham and Anderson 2002).
#include "rivulet/results/AkaikeWeights.h"
#include "rivulet/results/LogitInterval.h"
#include "rivulet/results/ModelAverage.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace rivulet;

TEST(LogitIntervalTest, KnownPairsAndNoIntervalAtTheBoundsOrWithoutError)
{
    // logit(0.8) = ln 4, half width 1.96 * 0.05 / 0.16 = 0.6125.
    const auto high = LogitInterval::of(0.8, 0.05);
    ASSERT_TRUE(high);
    EXPECT_NEAR(high->lower(), 0.684341118, 1e-9);
    EXPECT_NEAR(high->upper(), 0.880670436, 1e-9);
    // Skewed towards the nearer bound, and inside [0, 1] where estimate ± 1.96 se is not.
    const auto low = LogitInterval::of(0.1, 0.02);
    ASSERT_TRUE(low);
    EXPECT_NEAR(low->lower(), 0.067058312, 1e-9);
    EXPECT_NEAR(low->upper(), 0.146581430, 1e-9);
    const auto wide = LogitInterval::of(0.02, 0.05);
    ASSERT_TRUE(wide);
    EXPECT_GT(wide->lower(), 0.0);
    EXPECT_LT(wide->upper(), 1.0);

    EXPECT_FALSE(LogitInterval::of(0.0, 0.01));
    EXPECT_FALSE(LogitInterval::of(1.0, 0.01));
    EXPECT_FALSE(LogitInterval::of(0.5, std::nullopt));
    EXPECT_FALSE(LogitInterval::of(0.5, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(LogitInterval::lowerText(LogitInterval::of(1.0, 0.01)), "NA");
    EXPECT_EQ(LogitInterval::upperText(LogitInterval::of(0.8, 0.05)), "0.8806704355");
}

TEST(AkaikeWeightsTest, SmallComparisonByHand)
{
    // n = 20: AICc = 100 + 12/17, 101 + 24/16, 104 + 4/18.
    const AkaikeWeights weights({{100.0, 2}, {101.0, 3}, {104.0, 1}}, 20);
    ASSERT_EQ(weights.count(), 3);
    EXPECT_NEAR(*weights.aicc(0), 100.705882353, 1e-9);
    EXPECT_NEAR(*weights.aicc(1), 102.5, 1e-12);
    EXPECT_NEAR(*weights.aicc(2), 104.222222222, 1e-9);
    EXPECT_NEAR(*weights.deltaAicc(1), 1.794117647, 1e-9);
    EXPECT_NEAR(*weights.weight(0), 0.632860436, 1e-9);
    EXPECT_NEAR(*weights.weight(1), 0.258059736, 1e-9);
    EXPECT_NEAR(*weights.weight(2), 0.109079828, 1e-9);
    EXPECT_NEAR(*weights.weight(0) + *weights.weight(1) + *weights.weight(2), 1.0, 1e-12);
    EXPECT_EQ(weights.bestIndex(), 0);

    // n − K − 1 <= 0 leaves a model without AICc; the other takes the whole weight. A
    // smaller AIC can lose on AICc.
    const AkaikeWeights few({{90.0, 3}, {100.0, 1}}, 4);
    EXPECT_FALSE(few.aicc(0));
    EXPECT_FALSE(few.deltaAicc(0));
    EXPECT_FALSE(few.weight(0));
    EXPECT_DOUBLE_EQ(*few.aicc(1), 102.0);
    EXPECT_DOUBLE_EQ(*few.weight(1), 1.0);
    EXPECT_EQ(few.bestIndex(), 1);
    EXPECT_EQ(AkaikeWeights({{90.0, 3}}, 4).bestIndex(), -1);
}

QuantityRow quantity(const QString& name, double estimate, std::optional<double> se)
{
    QuantityRow row;
    row.kind = "parameter";
    row.name = name;
    row.site = "S2";
    row.estimate = estimate;
    row.standardError = se;
    return row;
}

TEST(ModelAverageTest, WeightedMeanUnconditionalErrorAndSharedQuantitiesOnly)
{
    const std::vector<ModelAverage::Model> models = {
        {{quantity("phi", 0.6, 0.05), quantity("p", 0.3, 0.01), quantity("only", 0.9, 0.1),
          quantity("lambda", 0.5, 0.02)},
         0.75},
        {{quantity("lambda", 0.7, std::nullopt), quantity("p", 0.3, 0.01),
          quantity("phi", 0.4, 0.1)},
         0.25}};
    const std::vector<QuantityRow> averaged = ModelAverage::average(models);
    ASSERT_EQ(averaged.size(), 3u); // "only" is missing from the second model
    EXPECT_EQ(averaged[0].name, "phi");
    EXPECT_EQ(averaged[1].name, "p");
    EXPECT_EQ(averaged[2].name, "lambda");
    // 0.75 · 0.6 + 0.25 · 0.4; sqrt(0.75 (0.05² + 0.05²) + 0.25 (0.1² + 0.15²)).
    EXPECT_NEAR(averaged[0].estimate, 0.55, 1e-12);
    ASSERT_TRUE(averaged[0].standardError);
    EXPECT_NEAR(*averaged[0].standardError, 0.108972474, 1e-9);
    // Models that agree give back their own figures.
    EXPECT_NEAR(averaged[1].estimate, 0.3, 1e-12);
    EXPECT_NEAR(*averaged[1].standardError, 0.01, 1e-12);
    // A model without a standard error leaves the average without one.
    EXPECT_NEAR(averaged[2].estimate, 0.55, 1e-12);
    EXPECT_FALSE(averaged[2].standardError);
}

} // namespace
