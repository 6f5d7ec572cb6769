#include "TestFunctions.h"

#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>

using rivulet::test::maxDifference;

namespace {

class OptimizerOnProblem : public ::testing::TestWithParam<int>
{
};

TEST_P(OptimizerOnProblem, ReachesTheKnownMinimumAndReportsIt)
{
    rivulet::test::Rosenbrock rosenbrock;
    const std::unique_ptr<rivulet::test::Quadratic> quadratic = rivulet::test::standardQuadratic();
    struct Problem
    {
        lum::Func& func;
        std::vector<double> start;
        std::vector<double> minimum;
        double minimumValue;
        double tolerance;
    };
    const Problem problems[] = {
        {rosenbrock, {-1.2, 1.0}, {1.0, 1.0}, 0.0, 2e-3},
        {*quadratic, std::vector<double>(5, 0.5), quadratic->centre(), 2.5, 1e-4}};
    for (const Problem& problem : problems) {
        std::unique_ptr<lum::OptimizerI> optimizer =
            lum::createOptimizer(QString::number(GetParam()));
        ASSERT_EQ(optimizer->id(), GetParam());
        QSignalSpy begin(optimizer.get(), &lum::OptimizerI::beginOptimization);
        QSignalSpy end(optimizer.get(), &lum::OptimizerI::endOptimization);
        std::vector<double> x = problem.start;
        const double startValue = problem.func(x);
        const std::atomic<bool> cancelled{false};
        int iterations = 0;
        optimizer->optimize(problem.func, x, cancelled, iterations);

        EXPECT_LT(maxDifference(x, problem.minimum), problem.tolerance) << problem.minimumValue;
        EXPECT_NEAR(problem.func(x), problem.minimumValue, 1e-6);
        EXPECT_GT(iterations, 0);
        ASSERT_EQ(begin.size(), 1);
        ASSERT_EQ(end.size(), 1);
        EXPECT_EQ(begin[0][1].toDouble(), startValue);
        EXPECT_EQ(end[0][1].toDouble(), problem.func(x));
        EXPECT_EQ(end[0][2].toInt(), iterations);
    }
}

INSTANTIATE_TEST_SUITE_P(AllOptimizers, OptimizerOnProblem, ::testing::Values(0, 1, 2, 3));

TEST(OptimizerSettings, SettingsStringRoundTripsThroughTheFactory)
{
    // An unknown id falls back to Fletch with its defaults; unknown names are dropped.
    EXPECT_EQ(lum::createOptimizer(QStringLiteral("7;maxIterations=5"))->settingsString(),
              QStringLiteral("0;maxIterations=5;stepSize=1e-06;precision=1e-06"));
    std::unique_ptr<lum::OptimizerI> original = lum::createOptimizer(QStringLiteral("2"));
    original->setSettings({"funcTolerance", "unknown", "maxIterations"}, {"2.5e-07", "9", "37"});
    const QString text = original->settingsString();
    EXPECT_EQ(text, QStringLiteral("2;maxIterations=37;funcTolerance=2.5e-07"));

    std::unique_ptr<lum::OptimizerI> copy = lum::createOptimizer(text);
    EXPECT_EQ(copy->settingsString(), text);
    copy->resetToDefaults();
    EXPECT_EQ(copy->settingsString(), QStringLiteral("2;maxIterations=200;funcTolerance=1e-08"));
}

TEST(OptimizerSettings, ValuesThatAreNotNumbersOfTheRightTypeAreIgnored)
{
    std::unique_ptr<lum::OptimizerI> optimizer = lum::createOptimizer(QStringLiteral("0"));
    optimizer->setSettingsString(
        QStringLiteral("0;maxIterations=many;stepSize=nan;precision=;maxIterations=2.5;junk"));
    EXPECT_EQ(optimizer->settingsString(),
              QStringLiteral("0;maxIterations=200;stepSize=1e-06;precision=1e-06"));
}

TEST(OptimizerCancel, CancellationDuringTheRunStopsWithinAFewEvaluations)
{
    for (const int id : {0, 1, 2, 3}) {
        std::unique_ptr<lum::OptimizerI> optimizer = lum::createOptimizer(QString::number(id));
        QSignalSpy end(optimizer.get(), &lum::OptimizerI::endOptimization);
        std::atomic<bool> cancelled{false};
        rivulet::test::Rosenbrock rosenbrock;
        rivulet::test::LambdaFunc func(
            [&rosenbrock](const std::vector<double>& x) { return rosenbrock(x); });
        func.onEvaluate = [&cancelled](int count) {
            if (count == 30)
                cancelled = true;
        };
        std::vector<double> x{-1.2, 1.0};
        int iterations = 0;
        optimizer->optimize(func, x, cancelled, iterations);
        EXPECT_EQ(end.size(), 1) << id;
        // After the flag: at most a bracketing or one set of differences, and the end value.
        EXPECT_LT(func.evaluations(), 60) << id;
        EXPECT_LE(rosenbrock(x), rosenbrock({-1.2, 1.0})) << id;
    }
}

// A failure with its message and its code, which tells the optimizer's own limit from the rest.
void expectFailure(const QString& settings, lum::Func& func, std::vector<double> x,
                   const char* message, int code = NR3::NRError::IterationLimit)
{
    std::unique_ptr<lum::OptimizerI> optimizer = lum::createOptimizer(settings);
    QSignalSpy end(optimizer.get(), &lum::OptimizerI::endOptimization);
    const std::atomic<bool> cancelled{false};
    int iterations = 0;
    try {
        optimizer->optimize(func, x, cancelled, iterations);
        ADD_FAILURE() << "no error for " << settings.toStdString();
    } catch (const NR3::NRError& e) {
        EXPECT_STREQ(e.message, message);
        EXPECT_EQ(e.code, code) << settings.toStdString();
    }
    EXPECT_EQ(end.size(), 0);
}

TEST(OptimizerFailure, IterationLimitsThrowTheirMessages)
{
    rivulet::test::Rosenbrock func;
    const std::vector<double> start{-1.2, 1.0};
    expectFailure("0;maxIterations=3", func, start,
                  "Maximum number of iterations exceeded in fletch");
    expectFailure("1;maxIterations=3", func, start, "too many iterations in dfpmin");
    expectFailure("2;maxIterations=1", func, start, "Maximum number of iterations exceeded");
    // A setting below 2000 evaluations per parameter is raised to that; a simplex that keeps
    // expanding on an unbounded function reaches it all the same.
    rivulet::test::LambdaFunc unbounded([](const std::vector<double>& x) { return -x[0]; });
    expectFailure("3;maxFuncEvalualtions=20", unbounded, {1.0},
                  "Maximum number of iterations exceeded");
}

TEST(OptimizerFailure, BrentRunsOutOfIterationsOnAFlatMinimum)
{
    // Near the quartic's minimum at 0 Brent's tolerance is absolute and tiny, and parabolic
    // steps on the flat bottom shrink the interval too slowly to meet it in 100 iterations.
    rivulet::test::LambdaFunc func([](const std::vector<double>& x) { return std::pow(x[0], 4); });
    expectFailure("2", func, {1e-10}, "Too many iterations in brent", NR3::NRError::Other);
}

TEST(OptimizerBadPoints, LargestDoubleIsAvoidedNotAnError)
{
    // A probability-like domain: outside (0, 1) the objective is the largest double.
    rivulet::test::LambdaFunc func([](const std::vector<double>& x) {
        double sum = 0.0;
        for (const double p : x) {
            if (!(p > 0.0 && p < 1.0))
                return std::numeric_limits<double>::max();
            sum -= 30.0 * std::log(p) + 70.0 * std::log(1.0 - p);
        }
        return sum;
    });
    for (const int id : {0, 1, 2, 3}) {
        std::unique_ptr<lum::OptimizerI> optimizer = lum::createOptimizer(QString::number(id));
        std::vector<double> x{0.9, 0.05};
        const std::atomic<bool> cancelled{false};
        int iterations = 0;
        optimizer->optimize(func, x, cancelled, iterations);
        EXPECT_LT(maxDifference(x, {0.3, 0.3}), 1e-4) << id;
    }
}

} // namespace

namespace {

// "--optimizer Powell", "garbage", "5" or "-1" ran Fletch; unknown settings (among them the
// correct spelling of the simplex's limit) were ignored and "maxIterations=-5" was taken.
TEST(OptimizerText, NamesSettingsAndValuesAreCheckedAndRefusalsSayWhatIsExpected)
{
    const std::pair<const char*, int> accepted[] = {{"fletch", 0},
                                                    {"Quasi-Newton", 1},
                                                    {"POWELL;maxIterations=50", 2},
                                                    {"simplex", 3},
                                                    {"2;funcTolerance=1e-6", 2},
                                                    {"3;maxFuncEvalualtions=9000", 3},
                                                    {"0;", 0},
                                                    {"Newton", 4},
                                                    {"4;maxIterations=30", 4}};
    for (const auto& [text, id] : accepted) {
        const auto optimizer = lum::parseOptimizer(QString::fromLatin1(text));
        ASSERT_TRUE(optimizer) << text << ": " << optimizer.error().text().toStdString();
        EXPECT_EQ((*optimizer)->id(), id) << text;
    }
    const auto simplex = lum::parseOptimizer("simplex;maxFuncEvaluations=9000");
    ASSERT_TRUE(simplex);
    EXPECT_TRUE((*simplex)->settingsString().contains("maxFuncEvaluations=9000"));
    // Stored texts with the old spelling still set the limit.
    EXPECT_TRUE(lum::createOptimizer("3;maxFuncEvalualtions=7000")
                    ->settingsString()
                    .contains("maxFuncEvaluations=7000"));

    const std::pair<const char*, const char*> refused[] = {
        {"garbage", "Unknown optimizer \"garbage\": expected one of fletch, quasi-newton, "
                    "powell, simplex, newton"},
        {"5", "Unknown optimizer \"5\""},
        {"-1", "Unknown optimizer \"-1\""},
        {"fletch;maxIter=5", "Unknown setting \"maxIter\" of the Fletch optimizer: expected one "
                             "of maxIterations, stepSize, precision"},
        {"fletch;maxIterations=-5", "Invalid value \"-5\" for maxIterations of the Fletch "
                                    "optimizer: expected a whole number of 1 or more"},
        {"simplex;stepSize=abc", "Invalid value \"abc\" for stepSize"},
        {"quasi-newton;gradConv", "The setting \"gradConv\" has no value"}};
    for (const auto& [text, message] : refused) {
        const auto optimizer = lum::parseOptimizer(QString::fromLatin1(text));
        ASSERT_FALSE(optimizer) << text;
        EXPECT_EQ(optimizer.error().code, lum::JobError::Input);
        EXPECT_TRUE(optimizer.error().text().startsWith(QString::fromLatin1(message)))
            << optimizer.error().text().toStdString();
    }
}

// With its defaults the simplex ran every model of a study to its limit and failed; a problem
// larger than it can solve is refused before the first evaluation, naming what to use instead.
TEST(OptimizerText, TheSimplexRefusesProblemsTooLargeForItAtOnce)
{
    int evaluations = 0;
    rivulet::test::LambdaFunc sum([&evaluations](const std::vector<double>& x) {
        ++evaluations;
        double total = 0;
        for (double v : x)
            total += v * v;
        return total;
    });
    std::vector<double> x(30, 0.5);
    int iterations = 0;
    const std::atomic<bool> cancelled{false};
    try {
        lum::createOptimizer("simplex")->optimize(sum, x, cancelled, iterations);
        ADD_FAILURE() << "a 30-parameter problem was taken";
    } catch (const NR3::NRError& e) {
        EXPECT_TRUE(std::strstr(e.message, "use fletch or quasi-newton")) << e.message;
    }
    EXPECT_EQ(evaluations, 0);
}

} // namespace
