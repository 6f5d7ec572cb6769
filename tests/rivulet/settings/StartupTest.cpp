#include "rivulet/settings/AppStartup.h"

#include "common/TestEnvironment.h"
#include "lum/db/TableData.h"
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

TEST_F(StartupTest, FirstRunCreatesThePerUserDatabaseAndDeletingItResetsTheSettings)
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
    EXPECT_EQ(settingsRowCount(), 1);

    settings.setValue(Key::PrecisionErr, 2);
    const StartupResult again = start();
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again.newDatabase);
    EXPECT_EQ(settings.value(Key::PrecisionErr).toInt(), 2);
    ASSERT_TRUE(QFile::remove(perUserDb()));
    ASSERT_TRUE(start().ok());
    EXPECT_EQ(settings.value(Key::PrecisionErr).toInt(), 4);
    EXPECT_EQ(settings.value(Key::PrevFile).toString(), "/studies");
}

TEST_F(StartupTest, CountsFileSwitchIsExactAndHoldsForOneRun)
{
    EXPECT_TRUE(AppStartup::hasCountsFileSwitch({"rivulet", "-x", "-mock"}));
    EXPECT_TRUE(AppStartup::hasCountsFileSwitch({"rivulet", "--counts"}));
    for (const char* other : {"-Mock", "--mock", "-mock=1", "mock"})
        EXPECT_FALSE(AppStartup::hasCountsFileSwitch({"rivulet", other})) << other;
    ASSERT_TRUE(start({"rivulet", "-mock"}).ok());
    EXPECT_TRUE(settings.value(Key::CountsFileInput).toBool());
    ASSERT_TRUE(start({"rivulet"}).ok());
    EXPECT_FALSE(settings.value(Key::CountsFileInput).toBool());
}

TEST_F(StartupTest, NamedDatabaseIsMadeWithoutResettingTheUserButAnotherFileStopsTheStart)
{
    settings.setValue(Key::PrecisionEst, 7);
    const QString dir = TestEnvironment::freshDir("named");
    const StartupResult result = start({}, dir + "/deeper/Study.db");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_TRUE(result.newDatabase);
    EXPECT_TRUE(QFileInfo(dir + "/deeper/Study.db").isFile());
    EXPECT_FALSE(QFileInfo::exists(perUserDb()));
    EXPECT_EQ(settings.value(Key::PrecisionEst).toInt(), 7);

    QFile text(dir + "/notes.txt");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("field notes\n");
    text.close();
    settings.setValue(Key::CleanExit, true);
    const StartupResult refused = start({}, text.fileName());
    EXPECT_FALSE(refused.ok());
    EXPECT_FALSE(refused.databaseReady);
    EXPECT_TRUE(refused.error.contains(text.fileName())) << refused.error.toStdString();
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(text.readAll(), QByteArray("field notes\n"));
    // The start stopped before recording the run.
    EXPECT_TRUE(settings.value(Key::CleanExit).toBool());
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
    // Without a database the settings start from their defaults, and the run is recorded.
    EXPECT_EQ(settings.value(Key::PrecisionEst).toInt(), 4);
    EXPECT_TRUE(settings.value(Key::CountsFileInput).toBool());
    EXPECT_FALSE(settings.value(Key::CleanExit).toBool());
}

} // namespace
} // namespace rivulet
