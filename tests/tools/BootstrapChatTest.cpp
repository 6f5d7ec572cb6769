// The parametric bootstrap ĉ of the most general model on studies written by the simulator:
// near 1 when the fish follow the model, clearly above 1 when they are released in batches
// whose survival varies (extra-binomial variation).

#include "common/SimulatedStudy.h"
#include "lum/thread/WorkerPool.h"
#include "rivulet/gof/ParametricBootstrap.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace rivulet;
using rivulet::test::CountsStudy;

namespace {

// A small design: three release sites, two release years and three migration years (so fish
// hold over), six detection sites, a thousand fish per release.
sim::StudyDesign smallDesign(quint64 seed)
{
    sim::StudyDesign design = *sim::StudyDesign::preset("sample");
    design.seed = seed;
    design.releaseSites = 3;
    design.releaseYears = 2;
    design.years = 3;
    design.detectionSites = 6;
    design.fishPerRelease = 1000;
    return design;
}

// The bootstrap ĉ of a design with `replicates` replicates.
double bootstrapChat(const sim::StudyDesign& design, int replicates, const QString& hint)
{
    CountsStudy study;
    const QString error = study.load(design, hint);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    gof::ParametricBootstrap bootstrap(study.counts, study.catalogue, FitOptions());
    const std::atomic<bool> cancel{false};
    EXPECT_TRUE(bootstrap.fitObserved(cancel)) << bootstrap.error().toStdString();
    int calls = 0;
    bootstrap.run(replicates, design.seed, cancel, [&calls](int) { ++calls; });
    const auto& result = bootstrap.result();
    EXPECT_EQ(calls, replicates);
    EXPECT_EQ(static_cast<int>(result.deviances.size()) + result.failed, replicates);
    EXPECT_LE(result.failed, replicates / 10);
    EXPECT_TRUE(result.chat.has_value());
    EXPECT_TRUE(result.p && *result.p >= 0.0 && *result.p <= 1.0);
    EXPECT_GT(result.pearson.df, 0);
    return result.chat.value_or(0.0);
}

TEST(BootstrapChat, NearOneWithoutExtraVariation)
{
    double sum = 0.0;
    const int seeds = 6;
    for (int seed = 1; seed <= seeds; ++seed) {
        const double chat = bootstrapChat(smallDesign(seed), 30, "boot-null");
        std::cout << "seed " << seed << ": c-hat " << chat << "\n";
        sum += chat;
    }
    const double mean = sum / seeds;
    EXPECT_GT(mean, 0.85);
    EXPECT_LT(mean, 1.15);
}

// Batches whose survival and detection vary around the mean. (Survival alone that varies by
// batch stays out of sight: every cell of a release holds the same batches, so the release's
// own parameters take it up, and a fish's detection says nothing of its batch.)
TEST(BootstrapChat, ClearlyAboveOneWithBatchesThatFareDifferently)
{
    double sum = 0.0;
    const int seeds = 2;
    for (int seed = 1; seed <= seeds; ++seed) {
        sim::StudyDesign design = smallDesign(seed);
        design.batches = 10;
        design.batchSpread = 1.0;
        design.batchDetectionSpread = 1.0;
        const double chat = bootstrapChat(design, 30, "boot-batches");
        std::cout << "seed " << seed << " (batches): c-hat " << chat << "\n";
        sum += chat;
    }
    EXPECT_GT(sum / seeds, 1.5);
}

// The same seed gives the same deviances, whatever the threads; another seed others.
TEST(BootstrapChat, TheSeedMakesItRepeatable)
{
    CountsStudy study;
    ASSERT_TRUE(study.load(smallDesign(3), "boot-seed").isEmpty());
    const std::atomic<bool> cancel{false};
    lum::WorkerPool single(0);
    FitOptions one;
    one.pool = &single;
    gof::ParametricBootstrap a(study.counts, study.catalogue, FitOptions());
    gof::ParametricBootstrap b(study.counts, study.catalogue, one);
    gof::ParametricBootstrap c(study.counts, study.catalogue, FitOptions());
    for (auto* bootstrap : {&a, &b, &c})
        ASSERT_TRUE(bootstrap->fitObserved(cancel));
    a.run(6, 11, cancel);
    b.run(6, 11, cancel);
    c.run(6, 12, cancel);
    EXPECT_EQ(a.result().deviances, b.result().deviances);
    EXPECT_NE(a.result().deviances, c.result().deviances);
    EXPECT_DOUBLE_EQ(a.result().deviance, c.result().deviance);
    // Canceled before it starts: nothing is run and there is no ĉ.
    const std::atomic<bool> stop{true};
    a.run(6, 11, stop);
    EXPECT_TRUE(a.result().canceled);
    EXPECT_FALSE(a.result().chat.has_value());
}

} // namespace
