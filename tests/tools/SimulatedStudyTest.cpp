// A simulated study read through the program's own loaders: every file loads, and the counts
// the program derives are the counts file and follow the simulator's true parameters.

#include "LoadedStudy.h"

#include "lum/db/TableData.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/counts/CountMatrix.h"
#include "rivulet/input/AgeDataLoader.h"

#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace rivulet;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void expectShare(qint64 hits, qint64 n, double expected, double varianceFloor,
                 const std::string& what)
{
    ASSERT_GT(n, 0) << what;
    const double se = std::sqrt(std::max(expected * (1.0 - expected), varianceFloor) / double(n));
    EXPECT_NEAR(double(hits) / double(n), expected, 4.0 * se + 1e-12) << what;
}

class SimulatedStudy : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        auto design = sim::StudyDesign::preset("sample");
        design->seed = 5;
        design->fishPerRelease = 4000;
        study = std::make_unique<test::LoadedStudy>(*design, "sim-study");
        error = study->load({}, true);
    }
    static void TearDownTestSuite() { study.reset(); }
    void SetUp() override
    {
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        // Every site and year holds data, so the analysis positions are the layout's.
        ASSERT_EQ(study->sites.count(), study->simulator.layout().siteCount());
        ASSERT_EQ(study->years.count(), study->simulator.design().years);
    }

    ReleaseId release(int r) const { return ReleaseId{study->releases.ids().at(r)}; }
    // Fish seen at (a, b) that were seen again or never seen again; (0, b) is the release.
    qint64 groupSize(int r, int a, int b) const
    {
        qint64 n = a == 0 ? study->counts.releaseNotSeen(release(r))
                          : study->counts.notSeenAgain(release(r), a, b);
        for (int s = a + 1; s < study->sites.count(); ++s)
            for (int y = b; y < study->years.count(); ++y)
                n += a == 0 ? study->counts.releaseNextCounts(release(r)).count(s, y)
                            : study->counts.nextCounts(release(r), a, b).count(s, y);
        return n;
    }

    static std::unique_ptr<test::LoadedStudy> study;
    static QString error;
};

std::unique_ptr<test::LoadedStudy> SimulatedStudy::study;
QString SimulatedStudy::error;

TEST_F(SimulatedStudy, LoadersKeepEveryFishAndTheCountsFileIsWhatTheProgramDerives)
{
    EXPECT_EQ(study->loaded.rows, study->written.rows);
    EXPECT_EQ(study->loaded.tags, study->written.fish);
    EXPECT_GT(study->loaded.ignoredRows, 0) << "adult returns are flagged A";
    EXPECT_GT(study->loaded.droppedDetections, 0) << "visits above the release site";
    EXPECT_EQ(study->releases.count(), study->written.releases);
    int neverDetected = 0;
    for (int r = 0; r < study->releases.count(); ++r) {
        EXPECT_EQ(groupSize(r, 0, 0), study->simulator.design().fishPerRelease);
        neverDetected += study->counts.releaseNotSeen(release(r));
    }
    EXPECT_EQ(neverDetected, study->written.neverDetected);

    QByteArray derived;
    {
        QTextStream out(&derived);
        study->counts.write(out);
    }
    EXPECT_EQ(fileBytes(study->file(sim::StudySimulator::CountsFile)).toStdString(),
              derived.toStdString());

    lum::ThreadRunner runner;
    AgeDataLoader ages(study->file(sim::StudySimulator::AgesFile), &study->rdb, &runner);
    QStringList problems;
    QObject::connect(&runner, &lum::ThreadRunner::errorStatus,
                     [&problems](const QString& message) { problems << message; });
    ages.run();
    EXPECT_FALSE(ages.hasFailed()) << ages.errorMessage().toStdString();
    EXPECT_TRUE(problems.isEmpty()) << problems.mid(0, 3).join('\n').toStdString();
    const lum::TableData tags(*study->rdb.database(),
                              "select count(*), sum(cohort_id >= 0) from tags");
    ASSERT_TRUE(tags.result());
    EXPECT_GT(tags.intValue(0, 1), tags.intValue(0, 0) * 9 / 10);
}

TEST_F(SimulatedStudy, CountsFollowTheTrueParameters)
{
    const sim::TrueParameters& truth = study->simulator.truth();
    const int trap = study->simulator.design().releaseSites;
    const int last = truth.siteCount() - 1;
    for (int r = 0; r < truth.releaseCount(); ++r) {
        const int b = study->simulator.releases().at(r).year;
        for (int y = b; y < truth.yearCount(); ++y) {
            // The trap is the first detection site, so a first detection there in year y is
            // phi(r, trap, b, y) * p(trap, y), hold-over or not.
            expectShare(study->counts.releaseNextCounts(release(r)).count(trap, y),
                        groupSize(r, 0, 0), truth.phi(r, trap, b, y) * truth.capture(r, trap, y),
                        0.0, "first reach");
            if (groupSize(r, last - 1, y) > 50)
                expectShare(study->counts.nextCounts(release(r), last - 1, y).count(last, y),
                            groupSize(r, last - 1, y), truth.lambda(r, y, y), 0.0, "final reach");
        }
    }
    int checked = 0, removed = 0;
    for (int s = 1; s < last; ++s) {
        for (int y = 0; y < study->years.count(); ++y) {
            const int n = study->counts.totalDetections(s, y);
            removed += study->counts.totalRemovals(s, y);
            if (n < 150)
                continue;
            expectShare(study->counts.totalRemovals(s, y), n, truth.removal(s, y), 0.01,
                        "removals at site " + std::to_string(s));
            ++checked;
        }
    }
    EXPECT_GE(checked, 8);
    EXPECT_EQ(removed, study->written.removed) << "histories end where fish were taken out";
}

TEST_F(SimulatedStudy, ASeedFixesEveryFile)
{
    const QDir again(test::TestEnvironment::freshDir("sim-study-again"));
    const auto written = sim::StudySimulator(study->simulator.design()).run(again.path(), true);
    ASSERT_TRUE(written) << written.error().text().toStdString();
    for (const char* name : {sim::StudySimulator::ConfigFile, sim::StudySimulator::ObservationsFile,
                             sim::StudySimulator::AgesFile, sim::StudySimulator::TruthFile,
                             sim::StudySimulator::CountsFile}) {
        ASSERT_FALSE(fileBytes(study->file(name)).isEmpty()) << name;
        EXPECT_EQ(fileBytes(study->file(name)), fileBytes(again.filePath(name))) << name;
    }
}

} // namespace
