#include "rivulet/settings/AppStartup.h"

#include "common/TestEnvironment.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"
#include "lum/thread/ThreadRunnable.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/settings/RivuletSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

using test::ScopedEnv;
using test::TestEnvironment;
using Key = RivuletSettings::Key;

// Every case gets a per-user data folder of its own, so the per-user
// database is new unless the case made it.
class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override { settings.restoreDefaults(true); }
    void TearDown() override { settings.restoreDefaults(true); }

    QString perUserDb() const { return local + "/Aldermoor Lab/Rivulet/Rivulet.db"; }

    static StartupResult start(const QStringList& arguments = {}, const QString& db = {})
    {
        return AppStartup::run(StartupOptions{arguments, db});
    }

    QString local = TestEnvironment::freshDir("startup");
    ScopedEnv localEnv{"LOCALAPPDATA", local.toLocal8Bit()};
    RivuletSettings& settings = RivuletSettings::instance();
};

int settingsRowCount()
{
    return lum::TableData(*RivuletDb::instance().database(), "SELECT COUNT(*) FROM settings")
        .intValue(0, 0);
}

TEST_F(StartupTest, FirstRunCreatesThePerUserDatabaseWithDefaultSettings)
{
    settings.setValue(Key::PrecisionEst, 9);
    settings.setValue(Key::GeomMainWindow, QByteArray("old"));
    settings.setValue(Key::PrevFile, "/studies");
    settings.setValue(Key::DiagDir, "/diag");

    const StartupResult result = start({"rivulet"});
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(result.databaseReady);
    EXPECT_TRUE(result.newDatabase);
    EXPECT_EQ(result.databasePath, perUserDb());
    EXPECT_TRUE(QFileInfo(perUserDb()).isFile());
    EXPECT_EQ(QCoreApplication::organizationName(), "Aldermoor Lab");
    EXPECT_EQ(QCoreApplication::applicationName(), "Rivulet");

    EXPECT_EQ(settings.value(Key::PrecisionEst).toInt(), 4);
    EXPECT_FALSE(settings.value(Key::GeomMainWindow).isValid());
    EXPECT_EQ(settings.value(Key::PrevFile).toString(), "/studies");
    EXPECT_EQ(settings.value(Key::DiagDir).toString(), "/diag");
    EXPECT_FALSE(settings.value(Key::CleanExit).toBool());
    EXPECT_FALSE(settings.value(Key::MockInput).toBool());
    EXPECT_EQ(settingsRowCount(), 1);
    EXPECT_EQ(settings.value(Key::DbVersion).toInt(), 1);
}

TEST_F(StartupTest, ExistingDatabaseKeepsTheSettingsAndDeletingItResetsThem)
{
    ASSERT_TRUE(start().ok());
    settings.setValue(Key::PrecisionErr, 2);
    settings.setValue(Key::PrevFile, "/studies");

    const StartupResult again = start();
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again.newDatabase);
    EXPECT_EQ(settings.value(Key::PrecisionErr).toInt(), 2);

    ASSERT_TRUE(QFile::remove(perUserDb()));
    const StartupResult fresh = start();
    ASSERT_TRUE(fresh.ok());
    EXPECT_TRUE(fresh.newDatabase);
    EXPECT_EQ(settings.value(Key::PrecisionErr).toInt(), 4);
    EXPECT_EQ(settings.value(Key::PrevFile).toString(), "/studies");
}

TEST_F(StartupTest, MockSwitchIsExactAndHoldsForOneRun)
{
    EXPECT_TRUE(AppStartup::hasMockSwitch({"rivulet", "-x", "-mock"}));
    EXPECT_FALSE(AppStartup::hasMockSwitch({"rivulet", "-Mock"}));
    EXPECT_FALSE(AppStartup::hasMockSwitch({"rivulet", "--mock"}));
    EXPECT_FALSE(AppStartup::hasMockSwitch({"rivulet", "-mock=1"}));
    EXPECT_FALSE(AppStartup::hasMockSwitch({"rivulet", "mock"}));

    ASSERT_TRUE(start({"rivulet", "-mock"}).ok());
    EXPECT_TRUE(settings.value(Key::MockInput).toBool());
    ASSERT_TRUE(start({"rivulet"}).ok());
    EXPECT_FALSE(settings.value(Key::MockInput).toBool());
    ASSERT_TRUE(start({"rivulet", "--mock"}).ok());
    EXPECT_FALSE(settings.value(Key::MockInput).toBool());
}

TEST_F(StartupTest, NamedNewDatabaseDoesNotResetTheUsersSettings)
{
    settings.setValue(Key::PrecisionEst, 7);
    const QString file = TestEnvironment::freshDir("named") + "/deeper/Study.db";
    const StartupResult result = start({}, file);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(result.newDatabase);
    EXPECT_TRUE(result.databaseReady);
    EXPECT_EQ(result.databasePath, file);
    EXPECT_TRUE(QFileInfo(file).isFile());
    EXPECT_FALSE(QFileInfo::exists(perUserDb()));
    EXPECT_EQ(settings.value(Key::PrecisionEst).toInt(), 7);
    EXPECT_EQ(settingsRowCount(), 1);
}

TEST_F(StartupTest, NamedFileThatIsNotADatabaseStopsTheStartUntouched)
{
    const QString file = TestEnvironment::freshDir("notdb") + "/notes.txt";
    {
        QFile text(file);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("field notes\n");
    }
    settings.setValue(Key::CleanExit, true);
    const StartupResult result = start({}, file);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.databaseReady);
    EXPECT_TRUE(result.error.contains(file)) << result.error.toStdString();
    QFile text(file);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(text.readAll(), QByteArray("field notes\n"));
    // The start stopped before recording the run.
    EXPECT_TRUE(settings.value(Key::CleanExit).toBool());
}

TEST_F(StartupTest, NamedFileInAFolderThatCannotBeMadeFails)
{
    const QString dir = TestEnvironment::freshDir("nofolder");
    QFile blocker(dir + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const StartupResult result = start({}, dir + "/file/sub/Rivulet.db");
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(dir + "/file/sub/Rivulet.db"));
}

TEST_F(StartupTest, UncreatablePerUserFolderIsReportedAndTheStartGoesOn)
{
    QFile blocker(local + "/Aldermoor Lab");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    settings.setValue(Key::PrecisionEst, 8);
    const StartupResult result = start({"rivulet", "-mock"});
    EXPECT_EQ(result.error, "Unable to create db path.");
    EXPECT_FALSE(result.databaseReady);
    EXPECT_TRUE(result.databasePath.isEmpty());
    // Without a database the settings start from their defaults, and the
    // run is still recorded.
    EXPECT_EQ(settings.value(Key::PrecisionEst).toInt(), 4);
    EXPECT_TRUE(settings.value(Key::MockInput).toBool());
    EXPECT_FALSE(settings.value(Key::CleanExit).toBool());
}

// A job on a worker thread inserts a row through its own connection; the
// main thread reads it back.
class InsertCohortJob : public lum::ThreadRunnable
{
public:
    using lum::ThreadRunnable::ThreadRunnable;
    void run() override
    {
        RivuletDb& rdb = RivuletDb::instance();
        lum::SqlStatement insert(*rdb.database());
        rdb.database()->prepareInsert(*rdb.model(RivuletDb::Cohorts), insert);
        lum::StatementBinder binder(insert);
        binder.bind(1, 3);
        binder.bind(2, 1);
        if (insert.step() != lum::SqlStatement::Done)
            setErrorMessage("insert failed");
    }
};

TEST_F(StartupTest, WriteFromARunnerJobIsReadBackOnTheMainThread)
{
    ASSERT_TRUE(start({}, TestEnvironment::freshDir("jobwrite") + "/Rivulet.db").ok());
    lum::ThreadRunner runner;
    InsertCohortJob job(&runner);
    runner.setRunnable(&job);
    runner.start();
    ASSERT_TRUE(runner.wait(30000));
    EXPECT_TRUE(job.errorMessage().isEmpty());
    const lum::TableData rows(*RivuletDb::instance().database(),
                              "SELECT cohort, active FROM cohorts");
    ASSERT_EQ(rows.numRows(), 1);
    EXPECT_EQ(rows.intValue(0, 0), 3);
    EXPECT_EQ(rows.intValue(0, 1), 1);
}

} // namespace
} // namespace rivulet
