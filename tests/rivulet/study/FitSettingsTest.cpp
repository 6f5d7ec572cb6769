#include "rivulet/study/FitSettings.h"

#include "common/TestEnvironment.h"
#include "rivulet/settings/AppStartup.h"
#include "rivulet/settings/RivuletSettings.h"

#include <gtest/gtest.h>

namespace rivulet::test {
namespace {

TEST(FitSettingsTest, ReadsTheOptimizerCriterionAndGradientAndRefusesACriterionOfZero)
{
    RivuletSettings& settings = RivuletSettings::instance();
    const QString db =
        TestEnvironment::freshDir(QStringLiteral("fit-settings")) + QStringLiteral("/settings.db");
    ASSERT_TRUE(AppStartup::run(StartupOptions{{}, db}).databaseReady);
    const FitOptions defaults = fitOptionsFromSettings();
    EXPECT_EQ(defaults.optimizer, QStringLiteral("0"));
    EXPECT_EQ(defaults.endingCriterion, FitOptions::DefaultEndingCriterion);
    EXPECT_EQ(defaults.gradient, FitOptions::Gradient::Exact);

    settings.setValue(RivuletSettings::Optimizer, QStringLiteral("3;maxFuncEvalualtions=100"));
    settings.setValue(RivuletSettings::EstimationEndingCriterion, 0.01);
    settings.setValue(RivuletSettings::EstimationGradient, 1);
    const FitOptions chosen = fitOptionsFromSettings();
    settings.setValue(RivuletSettings::EstimationEndingCriterion, 0.0);
    const FitOptions zero = fitOptionsFromSettings();
    for (const int key : {RivuletSettings::Optimizer, RivuletSettings::EstimationEndingCriterion,
                          RivuletSettings::EstimationGradient}) {
        settings.setValue(key, settings.defaultValue(key));
    }

    EXPECT_EQ(chosen.optimizerDescription(),
              QStringLiteral("Simplex, maxFuncEvaluations=100, convergenceTolerance=1e-08, "
                             "stepSize=0.1"));
    EXPECT_DOUBLE_EQ(chosen.endingCriterion, 0.01);
    EXPECT_EQ(chosen.gradient, FitOptions::Gradient::FiniteDifferences);
    EXPECT_EQ(zero.endingCriterion, FitOptions::DefaultEndingCriterion);
}

} // namespace
} // namespace rivulet::test
