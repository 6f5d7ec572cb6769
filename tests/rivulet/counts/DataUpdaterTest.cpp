#include "rivulet/counts/DataUpdater.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/DetectionSequenceFixture.h"

#include "rivulet/counts/NextDetections.h"
#include "rivulet/summary/ReleaseSummary.h"
#include <QEventLoop>

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

namespace rivulet::test {
namespace {

// The updater as the program runs it: as a job on a runner's thread, on the database.
class DataUpdaterOnDatabase : public DetectionSequenceFixture
{
protected:
    // Runs an updater with the counts and the release summary; returns its error messages.
    QStringList runUpdater(ControllerI* releasesAsRead = nullptr)
    {
        QStringList errors;
        Qt::HANDLE workerThread = nullptr;
        lum::ThreadRunner runner;
        QObject::connect(&runner, &lum::ThreadRunner::runFailed, &runner,
                         [&errors](int, const QString& message) { errors << message; });
        DataUpdater updater(releasesAsRead ? *releasesAsRead : releases, sites, years, &sequences,
                            counts, &runner);
        updater.setDatabase(rdb.database());
        updater.addRefreshStep([this, &workerThread] {
            summary.update();
            workerThread = QThread::currentThreadId();
        });
        runner.setRunnable(&updater);
        QEventLoop loop;
        QObject::connect(&runner, &QThread::finished, &loop, &QEventLoop::quit);
        runner.start();
        loop.exec();
        EXPECT_EQ(runner.hasFailed(), !errors.isEmpty());
        EXPECT_NE(workerThread, nullptr);
        EXPECT_NE(workerThread, QThread::currentThreadId());
        return errors;
    }

    NextDetections counts{releases, sites, years, sequences};
    ReleaseSummary summary{releases, sites, years, counts};
};

TEST_F(DataUpdaterOnDatabase, DerivesCountsAndSummaryFromTheStoredDetections)
{
    addTag("A"); // seen twice at the trap, then at the second dam
    addDetection("A", 1, 0);
    addDetection("A", 1, 0);
    addDetection("A", 3, 0);
    addTag("B"); // taken out at the trap
    addDetection("B", 1, 0);
    addDetection("B", 1, 0, 2);
    addTag("C");

    EXPECT_TRUE(runUpdater().isEmpty());
    // The controllers were refreshed by the updater itself.
    ASSERT_EQ(releases.ids(), QList<int>{release});
    EXPECT_EQ(sites.count(), 5);
    EXPECT_EQ(years.count(), 3);

    EXPECT_EQ(counts.releaseNotSeen(ReleaseId{release}), 1);
    EXPECT_EQ(counts.releaseRemovedCounts(ReleaseId{release}).count(1, 0), 1);
    EXPECT_EQ(counts.nextCounts(ReleaseId{release}, 1, 0).count(3, 0), 1);
    // One fish, one detection at the trap, however many antennas saw it.
    EXPECT_EQ(counts.releaseDetections(ReleaseId{release}, 1, 0), 2);
    EXPECT_EQ(summary.releaseCount(), 1);
    EXPECT_EQ(summary.dataClass(), DataClass::OneSiteOneYear);

    // A configuration change followed by an update reaches every object.
    setSiteActive(1, -1);
    setSiteActive(2, 1);
    setSiteActive(3, 2);
    setSiteActive(4, 3);
    EXPECT_TRUE(runUpdater().isEmpty());
    EXPECT_EQ(sites.count(), 4);
    EXPECT_EQ(counts.releaseNotSeen(ReleaseId{release}), 2);
    EXPECT_EQ(counts.releaseNextCounts(ReleaseId{release}).count(2, 0), 1);
    EXPECT_EQ(counts.releaseDetections(ReleaseId{release}, 1, 0), 0);
}

// The releases as the updater reads them, after which another process commits a new study
// (here: one without detections), before the histories are read.
class ReleasesThenAnotherLoad : public ControllerI
{
public:
    ReleasesThenAnotherLoad(ReleasesController& releases, QString path)
        : m_releases(releases), m_path(std::move(path))
    {
    }
    void refresh() override
    {
        m_releases.refresh();
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "another-process");
            other.setDatabaseName(m_path);
            m_committed = other.open() && QSqlQuery(other).exec("delete from observations");
        }
        QSqlDatabase::removeDatabase("another-process");
    }
    int count() const override { return m_releases.count(); }
    QList<int> ids() const override { return m_releases.ids(); }
    bool committed() const { return m_committed; }

private:
    ReleasesController& m_releases;
    QString m_path;
    bool m_committed = false;
};

// Seen twice in 600 races: the old study's releases with the new study's histories.
TEST_F(DataUpdaterOnDatabase, AnUpdateReadsOneStudyWhileAnotherProcessLoads)
{
    addTag("A");
    addDetection("A", 1, 0);
    ReleasesThenAnotherLoad racing(releases, rdb.database()->path());
    EXPECT_TRUE(runUpdater(&racing).isEmpty());
    ASSERT_TRUE(racing.committed());
    EXPECT_EQ(counts.releaseNextCounts(ReleaseId{release}).count(1, 0), 1);
    // The next update sees the new study whole.
    EXPECT_TRUE(runUpdater().isEmpty());
    EXPECT_EQ(counts.releaseNextCounts(ReleaseId{release}).count(1, 0), 0);
}

TEST_F(DataUpdaterOnDatabase, AFailedReadIsReportedAndEveryObjectAgreesWithEmptyHistories)
{
    addTag("A");
    addDetection("A", 1, 0);
    EXPECT_TRUE(runUpdater().isEmpty());
    ASSERT_EQ(counts.releaseNextCounts(ReleaseId{release}).count(1, 0), 1);

    ASSERT_TRUE(exec("drop table tags"));
    const QStringList errors = runUpdater();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith("Unable to read the detection histories: "))
        << errors.first().toStdString();
    EXPECT_TRUE(sequences.tagIds(release).isEmpty());
    EXPECT_EQ(counts.releaseNextCounts(ReleaseId{release}).count(1, 0), 0);
    EXPECT_EQ(counts.releaseNotSeen(ReleaseId{release}), 0);
    EXPECT_EQ(summary.releaseCount(), 1);
}

} // namespace
} // namespace rivulet::test
