#include "rivulet/input/AgeDataLoader.h"

#include "common/TestEnvironment.h"
#include "lum/db/TableData.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/RivuletDb.h"

#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace rivulet {
namespace {

using test::TestEnvironment;

// What one age load emitted, in order.
struct Emitted
{
    QStringList events;
    QList<int> progress;
    int totalLines = -1;
};

class AgeDataLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = TestEnvironment::freshDir("ageload");
        ASSERT_EQ(rdb.open(dir + "/study.db"), 0);
        for (const char* tag : {"T1", "T2", "T3", "t1"})
            ASSERT_EQ(rdb.database()->exec("insert into tags values (?, 1, -1, "
                                           "'2008-04-01 10:00:00')",
                                           {QString(tag)}),
                      0);
    }

    QString write(const QByteArray& content)
    {
        const QString path = dir + "/ages.csv";
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    }

    static void listen(AgeDataLoader* loader, QObject* context, Emitted& out)
    {
        QObject::connect(loader, QOverload<const QString&, int>::of(&AgeDataLoader::loadError),
                         context, [&out](const QString& msg, int line) {
                             out.events << "error " + msg + " @" + QString::number(line);
                         });
        QObject::connect(loader, &AgeDataLoader::message, context,
                         [&out](const QString& msg) { out.events << "message " + msg; });
        QObject::connect(loader, &AgeDataLoader::finished, context,
                         [&out] { out.events << "finished"; });
        QObject::connect(loader, &AgeDataLoader::progress, context,
                         [&out](int line) { out.progress << line; });
        QObject::connect(loader, &AgeDataLoader::totalNumLines, context,
                         [&out](int lines) { out.totalLines = lines; });
    }

    // Runs the load on the calling thread.
    Emitted load(const QByteArray& content)
    {
        Emitted out;
        AgeDataLoader loader(write(content), &rdb);
        QObject context;
        listen(&loader, &context, out);
        loader.process();
        return out;
    }

    // Each tag with its cohort number ("-" for none), in tag order.
    QString cohorts() const
    {
        const lum::TableData rows(*rdb.database(),
                                  "select t.id, ifnull(c.cohort, '-') from tags t left join "
                                  "cohorts c on t.cohort_id = c.id order by t.id");
        QStringList out;
        for (int r = 0; r < rows.numRows(); ++r)
            out << rows.stringValue(r, 0) + "=" + rows.stringValue(r, 1);
        return out.join(' ');
    }

    int cohortRows() const
    {
        return lum::TableData(*rdb.database(), "select count(*) from cohorts").intValue(0, 0);
    }

    QString dir;
    RivuletDb rdb;
};

TEST_F(AgeDataLoaderTest, AssignsCohortsAndReportsUnknownTagsWithoutStopping)
{
    const Emitted out = load("# tag,cohort or tag,year,age\n"
                             "T1,2008\n"
                             "\n"
                             "NOPE,2008\n"
                             "T2,5/17/2010,2\n"
                             "T3,2010,NA\n"
                             "t1,2010,0\n");
    EXPECT_EQ(out.totalLines, 7);
    EXPECT_EQ(out.events, QStringList({"error No such tag \"NOPE\" @4",
                                       "message Age data successfully loaded.", "finished"}));
    EXPECT_EQ(cohorts(), "T1=2008 T2=2008 T3=- t1=2010");
    EXPECT_EQ(cohortRows(), 2);
    EXPECT_EQ(lum::TableData(*rdb.database(), "select count(*) from cohorts where active = 0")
                  .intValue(0, 0),
              2);
}

TEST_F(AgeDataLoaderTest, AFatalLineRollsEverythingBack)
{
    const Emitted out = load("T1,2008\nT2,2009\nNOPE,2001\nT3,2010,2011\nT1,2000\n");
    EXPECT_EQ(out.events,
              QStringList({"error No such tag \"NOPE\" @3", "error Invalid age @4", "finished"}));
    EXPECT_EQ(cohorts(), "T1=- T2=- T3=- t1=-");
    EXPECT_EQ(cohortRows(), 0);
}

TEST_F(AgeDataLoaderTest, UnknownTagsAloneStillSucceedAndLoadingTwiceGivesTheSameResult)
{
    const Emitted out = load("X1,2008\nX2,2009\n");
    EXPECT_EQ(out.events, QStringList({"error No such tag \"X1\" @1", "error No such tag \"X2\" @2",
                                       "message Age data successfully loaded.", "finished"}));
    EXPECT_EQ(cohortRows(), 0);

    const QByteArray content = "T1,2008\nT2,2008\nT3,2009\n";
    load(content);
    const QString first = cohorts();
    load(content);
    EXPECT_EQ(cohorts(), first);
    EXPECT_EQ(cohortRows(), 2);
}

TEST_F(AgeDataLoaderTest, ProgressEveryTenthLineAndWindowsFiles)
{
    QByteArray content = "\xEF\xBB\xBFT1,2008\r\n";
    for (int i = 2; i <= 25; ++i)
        content += "# filler\r\n";
    const Emitted out = load(content);
    EXPECT_EQ(out.progress, QList<int>({10, 20}));
    EXPECT_EQ(out.totalLines, 25);
    EXPECT_EQ(cohorts(), "T1=2008 T2=- T3=- t1=-");
}

TEST_F(AgeDataLoaderTest, AMissingFileIsReported)
{
    Emitted out;
    AgeDataLoader loader(dir + "/missing.csv", &rdb);
    QObject context;
    listen(&loader, &context, out);
    loader.process();
    EXPECT_EQ(out.events, QStringList({"error Unable to open file \"" + dir + "/missing.csv\" @-1",
                                       "finished"}));
    EXPECT_TRUE(loader.failed());
}

// As the program runs it: a job on a runner, whose reports say what the signals say; a fatal
// line fails the job, which is not a cancel.
TEST_F(AgeDataLoaderTest, RunsAsAJobOnARunner)
{
    lum::ThreadRunner runner;
    QStringList reports;
    QObject::connect(&runner, &lum::ThreadRunner::errorStatus, &runner,
                     [&reports](const QString& text) { reports << "problem " + text; });
    QObject::connect(&runner, &lum::ThreadRunner::status, &runner,
                     [&reports](const QString& text) { reports << "status " + text; });
    QObject::connect(&runner, &lum::ThreadRunner::runComplete, &runner,
                     [&reports] { reports << "complete"; });
    QSignalSpy failed(&runner, &lum::ThreadRunner::runFailed);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    const auto run = [&](const QByteArray& content) {
        AgeDataLoader loader(write(content), &rdb, &runner);
        runner.setRunnable(&loader);
        QEventLoop loop;
        QObject::connect(&runner, &QThread::finished, &loop, &QEventLoop::quit);
        runner.start();
        loop.exec();
        return loader.loaded();
    };
    EXPECT_TRUE(run("T1,2007\nNOPE,1\nT2,2009,1\n"));
    EXPECT_EQ(reports, QStringList({"problem No such tag \"NOPE\" at line 2",
                                    "status Age data successfully loaded.", "complete"}));
    EXPECT_EQ(cohorts(), "T1=2007 T2=2008 T3=- t1=-");

    EXPECT_FALSE(run("T1,2008\nT3,2010,2011\n"));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toInt(), static_cast<int>(lum::JobError::Input));
    EXPECT_EQ(failed.at(0).at(1).toString(), "Invalid age at line 2");
    EXPECT_EQ(canceled.count(), 0);
    EXPECT_EQ(cohorts(), "T1=2007 T2=2008 T3=- t1=-");
}

} // namespace
} // namespace rivulet
