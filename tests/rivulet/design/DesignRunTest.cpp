// Study design by simulation on a small simulated study: the simulated spread of the estimates,
// the standard errors the fits report and those of the expected information agree, shrink as
// 1/sqrt(fish), and their intervals cover the truth; the target is read off the curve.

#include "rivulet/design/DesignRun.h"
#include "common/SimulatedStudy.h"
#include "lum/thread/WorkerPool.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rivulet::test {
namespace {

using design::DesignAnswer;
using design::DesignRow;
using design::DesignRun;
using design::DesignTarget;

// Detections frequent enough that a few thousand fish put the estimates in the regime where
// their errors are those of the information matrix.
sim::StudyDesign smallDesign()
{
    sim::StudyDesign design = twoReleaseDesign(2000);
    design.seed = 4;
    design.detection = 0.7;
    design.finalDetection = 0.5;
    return design;
}

const DesignRow* rowOf(const std::vector<DesignRow>& rows, int fish, const QString& quantity)
{
    for (const DesignRow& row : rows) {
        if (row.fish == fish && row.quantity == quantity)
            return &row;
    }
    return nullptr;
}

TEST(DesignRun, SimulatedReportedAndExpectedErrorsAgreeShrinkAsRootFishAndCover)
{
    const FittedCountsStudy study(smallDesign(), "design-agree");
    DesignRun run(study.study.counts, study.structure, study.estimates, FitOptions());
    const std::atomic<bool> cancel{false};
    int calls = 0;
    run.run({1000, 4000}, 300, 9, cancel, [&calls](int) { ++calls; });
    const DesignRun::Result& result = run.result();
    EXPECT_EQ(calls, 600);
    EXPECT_LE(result.failed, 15);
    EXPECT_GT(result.simulateSeconds, 0.0);
    EXPECT_GT(result.fitSeconds, result.simulateSeconds);

    int checked = 0;
    for (const DesignRow& few : result.rows) {
        if (few.fish != 1000 || !few.finalSurvival)
            continue;
        const DesignRow* many = rowOf(result.rows, 4000, few.quantity);
        ASSERT_NE(many, nullptr);
        for (const DesignRow* row : {&few, many}) {
            SCOPED_TRACE(row->quantity.toStdString() + " with " + std::to_string(row->fish));
            EXPECT_GT(row->truth, 0.05);
            EXPECT_NEAR(row->sd / row->meanSe, 1.0, 0.15);
            EXPECT_NEAR(row->expectedSe / row->meanSe, 1.0, 0.15);
            EXPECT_NEAR(row->expectedSe / row->sd, 1.0, 0.15);
            EXPECT_NEAR(row->mean, row->truth, 3.0 * row->sd / std::sqrt(row->fitted));
            EXPECT_GT(row->coverage, 0.88);
            EXPECT_LE(row->coverage, 0.99);
            EXPECT_NEAR(row->cv, row->sd / row->truth, 1e-12);
        }
        // Four times the fish, half the error.
        EXPECT_NEAR(few.sd / many->sd, 2.0, 0.4);
        EXPECT_NEAR(few.meanSe / many->meanSe, 2.0, 0.2);
        ++checked;
    }
    EXPECT_EQ(checked, 2); // one per release

    // The free parameters: the expected errors agree with the reported ones where both exist.
    int parameters = 0;
    for (const DesignRow& row : result.rows) {
        if (row.measure || row.fish != 4000 || !std::isfinite(row.expectedSe) || row.truth < 0.1 ||
            row.truth > 0.9 || row.withSe < row.fitted * 9 / 10)
            continue;
        SCOPED_TRACE(row.quantity.toStdString());
        EXPECT_NEAR(row.expectedSe / row.meanSe, 1.0, 0.15);
        ++parameters;
    }
    EXPECT_GT(parameters, 3);
}

TEST(DesignRun, TheSeedMakesItRepeatableOnAnyNumberOfThreads)
{
    const FittedCountsStudy study(smallDesign(), "design-seed");
    lum::WorkerPool single(0);
    FitOptions one;
    one.pool = &single;
    DesignRun a(study.study.counts, study.structure, study.estimates, FitOptions());
    DesignRun b(study.study.counts, study.structure, study.estimates, one);
    DesignRun c(study.study.counts, study.structure, study.estimates, FitOptions());
    const std::atomic<bool> cancel{false};
    a.run({300}, 6, 21, cancel);
    b.run({300}, 6, 21, cancel);
    c.run({300}, 6, 22, cancel);
    const QString first = design::designCsv(a.result().rows);
    EXPECT_EQ(first, design::designCsv(b.result().rows));
    EXPECT_NE(first, design::designCsv(c.result().rows));
    EXPECT_TRUE(first.startsWith("fish,quantity,truth,mean,sd,mean_se,expected_se,cv,coverage\n"));

    const std::atomic<bool> canceled{true};
    a.run({300}, 6, 21, canceled);
    EXPECT_TRUE(a.result().canceled);
    EXPECT_TRUE(a.result().rows.empty());
}

// CV = 1/sqrt(fish) for one release, twice that for another.
std::vector<DesignRow> knownCurve()
{
    std::vector<DesignRow> rows;
    for (const int fish : {100, 1000}) {
        for (const double scale : {1.0, 2.0}) {
            DesignRow row;
            row.fish = fish;
            row.quantity = scale == 1.0 ? QStringLiteral("survival A to X")
                                        : QStringLiteral("survival B to X");
            row.finalSurvival = true;
            row.cv = scale / std::sqrt(fish);
            rows.push_back(row);
        }
    }
    return rows;
}

TEST(DesignTarget, TheAnswerIsReadOffTheCurve)
{
    const std::vector<DesignRow> rows = knownCurve();
    const auto answer = [&rows](const QString& text) {
        return design::answerTarget(rows, *DesignTarget::parse(text));
    };
    const DesignAnswer between = answer("survival A to X:0.05");
    EXPECT_TRUE(between.found);
    EXPECT_EQ(between.fish, 400);
    EXPECT_FALSE(between.extrapolated);
    // Every release's final survival: the one that needs the most decides.
    const DesignAnswer final = answer("final:5%");
    EXPECT_EQ(final.fish, 1600);
    EXPECT_EQ(final.quantity, "survival B to X");
    EXPECT_TRUE(final.extrapolated);
    const DesignAnswer fewer = answer("survival A to X:0.2");
    EXPECT_EQ(fewer.fish, 25);
    EXPECT_TRUE(fewer.extrapolated);
    EXPECT_FALSE(answer("survival C to X:0.1").found);
}

TEST(DesignTarget, TargetsAndFishListsAreReadOrRefused)
{
    const auto target = DesignTarget::parse("survival A 2008 to LGR:10%");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->quantity, "survival A 2008 to LGR");
    EXPECT_DOUBLE_EQ(target->cv, 0.1);
    for (const char* bad : {"final", "final:", "final:0", "final:-0.1", "final:ten", ":0.1"}) {
        const auto refused = DesignTarget::parse(bad);
        ASSERT_FALSE(refused) << bad;
        EXPECT_TRUE(refused.error().text().endsWith(QStringLiteral("not \"%1\"").arg(bad)))
            << refused.error().text().toStdString();
    }
    EXPECT_EQ(design::parseFishList("1000, 250,500").valueOr({}),
              (std::vector<int>{250, 500, 1000}));
    for (const char* bad : {"", "250,,500", "250,250", "0,100", "many", "100.5"})
        EXPECT_FALSE(design::parseFishList(bad)) << bad;
}

} // namespace
} // namespace rivulet::test
