// The counts the program derives from a simulated study follow the simulator's true
// parameters within sampling error, and a seed fixes every file.

#include "LoadedStudy.h"

#include "rivulet/counts/CountMatrix.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

using namespace rivulet;
using rivulet::test::LoadedStudy;

namespace {

void expectProportion(qint64 hits, qint64 n, double expected, const std::string& what)
{
    ASSERT_GT(n, 0) << what;
    const double se = std::sqrt(expected * (1.0 - expected) / double(n));
    EXPECT_NEAR(double(hits) / double(n), expected, 4.0 * se + 1e-12) << what;
}

// Program counts by release position; the analysis positions are the layout's when every
// site and year holds data, which the cases check first.
struct Counts
{
    const LoadedStudy& study;

    int id(int r) const { return study.releases.ids().at(r); }
    qint64 first(int r, int s, int y) const
    {
        return study.counts.releaseNextCounts(ReleaseId{id(r)}).count(s, y);
    }
    qint64 next(int r, int a, int b, int s, int y) const
    {
        return study.counts.nextCounts(ReleaseId{id(r)}, a, b).count(s, y);
    }
    qint64 fish(int r) const
    {
        qint64 n = study.counts.releaseNotSeen(ReleaseId{id(r)});
        for (int s = 1; s < study.sites.count(); ++s)
            for (int y = 0; y < study.years.count(); ++y)
                n += first(r, s, y);
        return n;
    }
    // Fish seen at (a, b) that were seen again or never seen again.
    qint64 groupSize(int r, int a, int b) const
    {
        qint64 n = study.counts.notSeenAgain(ReleaseId{id(r)}, a, b);
        for (int s = a + 1; s < study.sites.count(); ++s)
            for (int y = b; y < study.years.count(); ++y)
                n += next(r, a, b, s, y);
        return n;
    }
};

void expectLayoutPositions(const LoadedStudy& study)
{
    ASSERT_EQ(study.sites.count(), study.simulator.layout().siteCount());
    ASSERT_EQ(study.years.count(), study.simulator.design().years);
}

TEST(SimulatorStatistics, FirstDetectionsFollowPhiTimesPWithoutHoldOver)
{
    for (quint64 seed : {3u, 4u}) {
        auto design = sim::StudyDesign::preset("one-year");
        design->seed = seed;
        LoadedStudy study(*design, "sim-cjs");
        ASSERT_EQ(study.load(), QString());
        expectLayoutPositions(study);
        const sim::TrueParameters& truth = study.simulator.truth();
        const Counts counts{study};
        const int trap = design->releaseSites;
        for (int r = 0; r < truth.releaseCount(); ++r) {
            const int relSite = study.simulator.releases().at(r).site;
            EXPECT_EQ(counts.fish(r), design->fishPerRelease);
            // Passing the other release sites costs nothing.
            for (int s = relSite + 1; s < trap; ++s)
                EXPECT_EQ(truth.phi(r, s, 0, 0), 1.0);
            expectProportion(counts.first(r, trap, 0), counts.fish(r),
                             truth.phi(r, trap, 0, 0) * truth.capture(r, trap, 0), "first site");
            expectProportion(counts.next(r, trap, 0, trap + 1, 0), counts.groupSize(r, trap, 0),
                             truth.phi(r, trap + 1, 0, 0) * truth.capture(r, trap + 1, 0),
                             "trap to next site");
        }
    }
}

TEST(SimulatorStatistics, HoldOverAndFinalReachFollowTheirParameters)
{
    auto design = sim::StudyDesign::preset("sample");
    design->seed = 5;
    design->fishPerRelease = 4000;
    LoadedStudy study(*design, "sim-holdover");
    ASSERT_EQ(study.load(), QString());
    expectLayoutPositions(study);
    const sim::TrueParameters& truth = study.simulator.truth();
    const Counts counts{study};
    const int trap = design->releaseSites;
    const int last = truth.siteCount() - 1;
    for (int r = 0; r < truth.releaseCount(); ++r) {
        const int b = study.simulator.releases().at(r).year;
        double heldOver = 0.0, total = 0.0;
        for (int y = b; y < truth.yearCount(); ++y) {
            const double phi = truth.phi(r, trap, b, y);
            total += phi;
            heldOver += y > b ? phi : 0.0;
            // The trap is the first detection site, so a first detection there in
            // year y is phi(r, trap, b, y) * p(trap, y), hold-over or not.
            expectProportion(counts.first(r, trap, y), counts.fish(r),
                             phi * truth.capture(r, trap, y), "first reach");
        }
        if (b + 1 < truth.yearCount()) {
            EXPECT_GT(heldOver / total, 0.04);
            EXPECT_LT(heldOver / total, 0.16);
        }
        for (int y = b; y < truth.yearCount(); ++y) {
            const qint64 n = counts.groupSize(r, last - 1, y);
            if (n > 50)
                expectProportion(counts.next(r, last - 1, y, last, y), n, truth.lambda(r, y, y),
                                 "final reach");
        }
    }
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SimulatorStatistics, ASeedFixesEveryFile)
{
    const QStringList files = {sim::StudySimulator::ConfigFile,
                               sim::StudySimulator::ObservationsFile, sim::StudySimulator::AgesFile,
                               sim::StudySimulator::TruthFile, sim::StudySimulator::CountsFile};
    auto design = sim::StudyDesign::preset("sample");
    design->fishPerRelease = 300;
    design->seed = 42;
    const auto simulate = [&design](const QString& hint) {
        const QDir folder(test::TestEnvironment::freshDir(hint));
        QString error;
        EXPECT_TRUE(sim::StudySimulator(*design).run(folder.path(), true, nullptr, &error))
            << error.toStdString();
        return folder;
    };
    const QDir a = simulate("sim-seed-a"), b = simulate("sim-seed-b");
    design->seed = 43;
    const QDir c = simulate("sim-seed-c");
    for (const QString& name : files) {
        const QByteArray bytes = fileBytes(a.filePath(name));
        ASSERT_FALSE(bytes.isEmpty()) << name.toStdString();
        EXPECT_EQ(bytes, fileBytes(b.filePath(name))) << name.toStdString();
    }
    // Another seed samples other fish under the same river and the same truth.
    EXPECT_NE(fileBytes(a.filePath(sim::StudySimulator::ObservationsFile)),
              fileBytes(c.filePath(sim::StudySimulator::ObservationsFile)));
    EXPECT_EQ(fileBytes(a.filePath(sim::StudySimulator::ConfigFile)),
              fileBytes(c.filePath(sim::StudySimulator::ConfigFile)));
    const QByteArray truthA = fileBytes(a.filePath(sim::StudySimulator::TruthFile));
    const QByteArray truthC = fileBytes(c.filePath(sim::StudySimulator::TruthFile));
    EXPECT_EQ(truthA.mid(truthA.indexOf("\nfamily")), truthC.mid(truthC.indexOf("\nfamily")));
}

} // namespace
