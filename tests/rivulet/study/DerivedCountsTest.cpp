// The counts an update keeps in the database: read back only while the data they came from
// are unchanged, derived again after any load.
#include "rivulet/data/DerivedDataStore.h"

#include "tools/LoadedStudy.h"

#include "lum/db/SqliteDb.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/DetectionSequenceController.h"

#include <QTextStream>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

sim::StudyDesign design(quint64 seed)
{
    sim::StudyDesign d;
    d.seed = seed;
    d.releaseSites = 2;
    d.releaseYears = 1;
    d.years = 2;
    d.detectionSites = 4;
    d.fishPerRelease = 200;
    return d;
}

QString countsText(const Study& study)
{
    QString text;
    QTextStream out(&text);
    study.nextDetections().write(out);
    return text;
}

bool update(Study& study)
{
    lum::ThreadRunner runner;
    const auto job = StudyActions(study, runner).update();
    job->run();
    return !job->job().hasFailed();
}

TEST(DerivedCountsTest, UnchangedDataAreReadBackAndEveryLoadDerivesThemAgain)
{
    test::LoadedStudy first(design(5), "derived-first");
    ASSERT_EQ(first.load(), QString());
    const QString derived = countsText(first.study);

    // A new run on the same file reads the counts back, not the histories.
    Study again(Study::Database, first.rdb);
    ASSERT_TRUE(update(again));
    EXPECT_EQ(again.sequences()->entryCount(), 0);
    EXPECT_EQ(countsText(again), derived);

    // Another study of the same design (same sites configuration) loaded into the same file:
    // derived from its histories.
    test::LoadedStudy second(design(6), "derived-second");
    ASSERT_EQ(second.load(), QString());
    lum::ThreadRunner runner;
    const auto loader = StudyActions(first.study, runner)
                            .loadObservations(second.file(sim::StudySimulator::ObservationsFile));
    loader->run();
    ASSERT_FALSE(loader->job().failed());
    ASSERT_TRUE(update(again));
    EXPECT_GT(again.sequences()->entryCount(), 0);
    EXPECT_EQ(countsText(again), countsText(second.study));
}

// Rows edited or deleted in place keep the tables' extent; another tool's edit must still
// make the next update derive the counts again.
TEST(DerivedCountsTest, EditsInPlaceByAnotherToolAreSeen)
{
    test::LoadedStudy study(design(5), "derived-edited");
    ASSERT_EQ(study.load(), QString());
    const QString derived = countsText(study.study);
    {
        lum::SqliteDb other;
        ASSERT_TRUE(other.open(study.folder + QStringLiteral("/study.db")));
        ASSERT_TRUE(
            other.exec(QStringLiteral("delete from observations where id in (select id from "
                                      "observations where id % 2 = 0 and id < "
                                      "(select max(id) from observations))")));
    }
    Study again(Study::Database, study.rdb);
    ASSERT_TRUE(update(again));
    EXPECT_GT(again.sequences()->entryCount(), 0);
    EXPECT_NE(countsText(again), derived);
}

TEST(DerivedCountsTest, CountsThatALoadOvertookAreNotStored)
{
    test::LoadedStudy study(design(5), "derived-overtaken");
    ASSERT_EQ(study.load(), QString());
    const DerivedDataStore store(study.rdb);
    const QByteArray before = store.fingerprint();
    ASSERT_FALSE(before.isEmpty());
    EXPECT_FALSE(store.load(before).isEmpty());

    // A writer of histories between the fingerprint and the save.
    ASSERT_TRUE(DerivedDataStore::forget(*study.rdb.database()));
    EXPECT_TRUE(store.load(store.fingerprint()).isEmpty());
    EXPECT_FALSE(store.save(before, QByteArray("stale")));
    EXPECT_TRUE(store.load(before).isEmpty());
    EXPECT_TRUE(store.save(store.fingerprint(), QByteArray("fresh")));
    EXPECT_EQ(store.load(store.fingerprint()), QByteArray("fresh"));
}

} // namespace
} // namespace rivulet
