// The files of a simulated study read by the program's own loaders: the export and the
// sites configuration load without a refused row, the counts file is exactly what the
// program derives from the export, removals follow their true shares, and the ages load.

#include "LoadedStudy.h"

#include "lum/db/TableData.h"
#include "rivulet/input/AgeDataLoader.h"

#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace rivulet;

namespace {

class SimulatedStudyFiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        auto design = sim::StudyDesign::preset("sample");
        design->seed = 11;
        design->fishPerRelease = 900;
        study = std::make_unique<test::LoadedStudy>(*design, "sim-files");
        error = study->load({}, true);
    }
    static void TearDownTestSuite() { study.reset(); }
    void SetUp() override { ASSERT_TRUE(error.isEmpty()) << error.toStdString(); }

    int count(const QString& sql) const
    {
        const lum::TableData rows(*study->rdb.database(), sql);
        EXPECT_EQ(rows.errorCode(), 0) << sql.toStdString();
        return rows.intValue(0, 0);
    }

    static std::unique_ptr<test::LoadedStudy> study;
    static QString error;
};

std::unique_ptr<test::LoadedStudy> SimulatedStudyFiles::study;
QString SimulatedStudyFiles::error;

TEST_F(SimulatedStudyFiles, LoaderKeepsEveryFishAndDropsOnlyWhatItShould)
{
    const sim::StudySummary& written = study->written;
    const ObsLoadSummary& loaded = study->loaded;
    EXPECT_EQ(loaded.rows, written.rows);
    EXPECT_EQ(loaded.tags, written.fish);
    EXPECT_GT(loaded.ignoredRows, 0) << "adult returns are flagged A";
    EXPECT_GT(loaded.droppedDetections, 0) << "visits above the release site";
    // Every site and year of the layout holds data, so positions are the layout's.
    EXPECT_EQ(study->sites.count(), written.sites);
    EXPECT_EQ(study->sites.count(), study->simulator.layout().siteCount());
    EXPECT_EQ(study->years.count(), written.years);
    EXPECT_EQ(study->releases.count(), written.releases);

    int neverDetected = 0;
    int removed = 0;
    const int last = study->sites.count() - 1;
    for (int r = 0; r < study->releases.count(); ++r)
        neverDetected += study->counts.releaseNotSeen(ReleaseId{study->releases.ids().at(r)});
    for (int s = 1; s < last; ++s)
        for (int y = 0; y < study->years.count(); ++y)
            removed += study->counts.totalRemovals(s, y);
    EXPECT_EQ(neverDetected, written.neverDetected);
    EXPECT_EQ(removed, written.removed) << "histories end where fish were taken out";
}

TEST_F(SimulatedStudyFiles, CountsFileIsWhatTheProgramDerivesFromTheExport)
{
    QFile file(study->file(sim::StudySimulator::CountsFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray derived;
    {
        QTextStream out(&derived);
        study->counts.write(out);
    }
    EXPECT_EQ(file.readAll().toStdString(), derived.toStdString());
}

TEST_F(SimulatedStudyFiles, RemovalsFollowTheTrueShares)
{
    const sim::TrueParameters& truth = study->simulator.truth();
    const int last = study->sites.count() - 1;
    int checked = 0;
    for (int s = 1; s < last; ++s) {
        for (int y = 0; y < study->years.count(); ++y) {
            const int n = study->counts.totalDetections(s, y);
            if (n < 150)
                continue;
            const double q = truth.removal(s, y);
            const double share = double(study->counts.totalRemovals(s, y)) / n;
            const double se = std::sqrt(std::max(q * (1 - q), 0.01) / n);
            EXPECT_NEAR(share, q, 4 * se) << "site " << s << ", year " << y;
            ++checked;
        }
    }
    EXPECT_GE(checked, 8);
}

TEST_F(SimulatedStudyFiles, AgesLoadForTheTagsOfTheExport)
{
    AgeDataLoader ages(study->file(sim::StudySimulator::AgesFile), &study->rdb);
    QStringList problems;
    QObject::connect(&ages, qOverload<const QString&, int>(&AgeDataLoader::loadError),
                     [&problems](const QString& message, int) { problems << message; });
    ages.process();
    EXPECT_FALSE(ages.failed());
    EXPECT_TRUE(problems.isEmpty()) << problems.mid(0, 3).join('\n').toStdString();
    const int tags = count("select count(*) from tags");
    const int aged = count("select count(*) from tags where cohort_id >= 0");
    EXPECT_GT(aged, tags * 9 / 10);
    EXPECT_LT(aged, tags) << "some ages are NA";
    EXPECT_GE(count("select count(*) from cohorts"), 3);
}

} // namespace
