#include "rivulet/input/AgeDataLoader.h"
#include "rivulet/input/AgeLine.h"

#include "common/TestEnvironment.h"
#include "lum/db/TableData.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/sitesconfig/SitesConfigFiles.h"

#include <QEventLoop>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

class AgeDataLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = test::TestEnvironment::freshDir("ageload");
        ASSERT_TRUE(rdb.open(dir + "/study.db"));
        for (const char* tag : {"T1", "T2", "T3", "t1"})
            ASSERT_TRUE(rdb.database()->exec("insert into tags values (?, 1, -1, "
                                             "'2008-04-01 10:00:00')",
                                             {QString(tag)}));
    }

    QString write(const QByteArray& content)
    {
        test::writeFile(dir + "/ages.csv", content);
        return dir + "/ages.csv";
    }

    // Runs the load as the program does, on a runner's thread; what the runner reported, in
    // order.
    QStringList loadPath(const QString& path)
    {
        QStringList events;
        lum::ThreadRunner runner;
        AgeDataLoader loader(path, &rdb, &runner);
        QObject::connect(&runner, &lum::ThreadRunner::errorStatus,
                         [&events](const QString& text) { events << "problem " + text; });
        QObject::connect(&runner, &lum::ThreadRunner::status,
                         [&events](const QString& text) { events << "message " + text; });
        QObject::connect(&runner, &lum::ThreadRunner::runFailed,
                         [&events](int, const QString& text) { events << "failed " + text; });
        QObject::connect(&runner, &lum::ThreadRunner::runComplete,
                         [&events] { events << "complete"; });
        runner.setRunnable(&loader);
        QEventLoop loop;
        QObject::connect(&runner, &QThread::finished, &loop, &QEventLoop::quit);
        runner.start();
        loop.exec();
        runner.wait();
        return events;
    }
    QStringList load(const QByteArray& content) { return loadPath(write(content)); }

    // Each tag with its cohort number ("-" for none), in tag order, then the cohort rows.
    QString cohorts() const
    {
        const lum::TableData rows(*rdb.database(),
                                  "select t.id, ifnull(c.cohort, '-') from tags t left join "
                                  "cohorts c on t.cohort_id = c.id order by t.id");
        QStringList out;
        for (int r = 0; r < rows.numRows(); ++r)
            out << rows.stringValue(r, 0) + "=" + rows.stringValue(r, 1);
        const lum::TableData stored(*rdb.database(), "select count(*), sum(active) from cohorts");
        return out.join(' ') + QStringLiteral(" (%1 cohorts, %2 active)")
                                   .arg(stored.intValue(0, 0))
                                   .arg(stored.intValue(0, 1));
    }

    QString dir;
    RivuletDb rdb;
};

TEST_F(AgeDataLoaderTest, AssignsCohortsReportsUnknownTagsWithoutStoppingAndReloadsTheSame)
{
    const QByteArray content = "\xEF\xBB\xBF# tag,cohort or tag,year,age\r\n"
                               " T1 , 2008 \r\n"
                               "   \r\n"
                               "NOPE,2008\r\n"
                               "T2,5/17/2010,2\r\n"
                               "T3,2010,NA\r\n"
                               "T3, Na \r\n"
                               "t1,12/31/2010,0\r\n";
    EXPECT_EQ(load(content),
              QStringList({"problem No such tag \"NOPE\" at line 4",
                           "message Age data loaded for 3 tags; 1 tags not in the study were "
                           "skipped.",
                           "complete"}));
    EXPECT_EQ(cohorts(), "T1=2008 T2=2008 T3=- t1=2010 (2 cohorts, 0 active)");
    load(content);
    EXPECT_EQ(cohorts(), "T1=2008 T2=2008 T3=- t1=2010 (2 cohorts, 0 active)");
}

TEST_F(AgeDataLoaderTest, AFatalLineOrAMissingFileChangesNothing)
{
    EXPECT_EQ(load("T1,2008\nT2,2009\nNOPE,2001\nT3,2010,2011\nT1,2000\n"),
              QStringList({"problem No such tag \"NOPE\" at line 3",
                           "failed Invalid age: expected a whole number of years, 0 or more "
                           "(column 3, value \"2011\") in file \"" +
                               dir + "/ages.csv\" at line 4"}));
    EXPECT_EQ(cohorts(), "T1=- T2=- T3=- t1=- (0 cohorts, 0 active)");
    // Tags that are all unknown: nothing stored, and a failure rather than a success.
    const QStringList unknown = load("NOPE,2008\nNADA,2009\n");
    ASSERT_EQ(unknown.size(), 3);
    EXPECT_TRUE(unknown.at(2).startsWith("failed None of the 2 tags of file"))
        << unknown.at(2).toStdString();
    EXPECT_EQ(cohorts(), "T1=- T2=- T3=- t1=- (0 cohorts, 0 active)");
    EXPECT_EQ(loadPath(dir + "/missing.csv"),
              QStringList({"failed Unable to open file \"" + dir + "/missing.csv\""}));
}

TEST(AgeLine, NamesWhatIsWrongWithALine)
{
    struct Case
    {
        const char* text;
        const char* error;
        int column;
        const char* value;
    };
    // Cohorts far outside any study (negative, 0, the largest int) are typing errors.
    const Case cases[] = {{"T1,2010,1.5", "Invalid age", 3, "1.5"},
                          {"T1,abc", "Invalid cohort", 2, "abc"},
                          {"T1,2/30/2010,1", "Invalid year", 2, "2/30/2010"},
                          {"T1,NA,3", "Invalid year", 2, "NA"},
                          {"T1,2010,1,4", "4 fields", 4, "4"},
                          {"T1,-2008", "Implausible cohort -2008", 2, "-2008"},
                          {"T1,0", "Implausible cohort 0", 2, "0"},
                          {"T1,2147483647", "Implausible cohort 2147483647", 2, "2147483647"},
                          {"T1,2010,100", "Implausible cohort 1910", 2, "2010"},
                          {" ,2007", "Missing tag code", 1, " "}};
    for (const auto& c : cases) {
        const AgeLine line = AgeLine::parse(QString::fromLatin1(c.text));
        EXPECT_EQ(line.kind, AgeLine::Invalid) << c.text;
        EXPECT_TRUE(line.error.startsWith(c.error)) << c.text << ": " << line.error.toStdString();
        EXPECT_TRUE(line.error.contains("expected")) << c.text;
        EXPECT_EQ(line.column, c.column) << c.text;
        EXPECT_EQ(line.value, c.value) << c.text;
    }
    EXPECT_EQ(AgeLine::parse("T1,2100").cohort, 2100);
    EXPECT_EQ(AgeLine::parse("# T1,abc").kind, AgeLine::Skipped);
}

// A database that refused the cohort (read-only) gave "Unable to store the age data:  at
// line 2", with no reason. The trigger stands in for the refusal.
TEST_F(AgeDataLoaderTest, ARefusedCohortNamesTheDatabasesReason)
{
    ASSERT_TRUE(rdb.database()->exec("CREATE TRIGGER refuse BEFORE INSERT ON cohorts "
                                     "BEGIN SELECT RAISE(ABORT, 'no room for cohorts'); END"));
    const QStringList events = load("# ages\nT1,2008\n");
    ASSERT_FALSE(events.isEmpty());
    EXPECT_TRUE(
        events.first().startsWith("failed Unable to store the age data: no room for cohorts"))
        << events.first().toStdString();
    EXPECT_TRUE(events.first().endsWith(" at line 2")) << events.first().toStdString();
    EXPECT_EQ(cohorts(), "T1=- T2=- T3=- t1=- (0 cohorts, 0 active)");
}

// As the program runs it: a job on a runner (the tool's load of ages shows its reports). A
// fatal line fails the job, which is not a cancel, and changes nothing.
TEST_F(AgeDataLoaderTest, AFatalLineFailsTheJobOnARunner)
{
    lum::ThreadRunner runner;
    QSignalSpy failed(&runner, &lum::ThreadRunner::runFailed);
    QSignalSpy canceled(&runner, &lum::ThreadRunner::runCanceled);
    AgeDataLoader loader(write("T1,2008\nT3,2010,2011\n"), &rdb, &runner);
    runner.setRunnable(&loader);
    QEventLoop loop;
    QObject::connect(&runner, &QThread::finished, &loop, &QEventLoop::quit);
    runner.start();
    loop.exec();
    EXPECT_FALSE(loader.loaded());
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toInt(), static_cast<int>(lum::JobError::Input));
    EXPECT_TRUE(failed.at(0).at(1).toString().startsWith("Invalid age: expected"));
    EXPECT_TRUE(failed.at(0).at(1).toString().endsWith(" at line 2"));
    EXPECT_EQ(canceled.count(), 0);
    EXPECT_EQ(cohorts(), "T1=- T2=- T3=- t1=- (0 cohorts, 0 active)");
}

} // namespace
} // namespace rivulet
