#include "rivulet/settings/RivuletSettings.h"

#include "common/TestEnvironment.h"
#include "lum/db/TableData.h"
#include "rivulet/data/RivuletDb.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

using test::ScopedEnv;
using test::TestEnvironment;
using Key = RivuletSettings::Key;

class RivuletSettingsTest : public ::testing::Test
{
protected:
    // The per-user store is shared by every settings object of the test
    // binary; start each case from nothing stored.
    void SetUp() override { settings.restoreDefaults(true); }
    void TearDown() override { settings.restoreDefaults(true); }

    RivuletSettings settings;
};

TEST_F(RivuletSettingsTest, RestoreKeepsTheUsersFoldersOnly)
{
    settings.setValue(Key::GeomMainWindow, QByteArray("\x01\x02geometry"));
    settings.setValue(Key::PrecisionEst, 7);
    settings.setValue(Key::UiExpertMode, 1);
    settings.setValue(Key::SitesConfigUpdateDate, "2024-01-01");
    settings.setValue(Key::PrevFile, "/data/study");
    settings.setValue(Key::DiagDir, "/data/diag");
    settings.restoreDefaults(false);
    EXPECT_FALSE(settings.value(Key::GeomMainWindow).isValid());
    EXPECT_FALSE(settings.value(Key::SitesConfigUpdateDate).isValid());
    EXPECT_EQ(settings.value(Key::PrecisionEst), QVariant(4));
    EXPECT_EQ(settings.value(Key::UiExpertMode), QVariant(0));
    EXPECT_EQ(settings.value(Key::PrevFile).toString(), "/data/study");
    EXPECT_EQ(settings.value(Key::DiagDir).toString(), "/data/diag");
}

// The typed accessors read what the older keyed calls stored, and stand in for values that
// would break their readers.
TEST_F(RivuletSettingsTest, TypedAccessorsReadStoredValuesAndGuardTheirDefaults)
{
    settings.setValue(Key::UiExpertMode, 1);
    settings.setValue(Key::ProfileAll, 1);
    EXPECT_TRUE(settings.expertMode());
    EXPECT_TRUE(settings.profileAll());
    settings.setExpertMode(false);
    EXPECT_FALSE(settings.value(Key::UiExpertMode).toBool());

    settings.setValue(Key::SitesConfigFileName, QString());
    EXPECT_EQ(settings.sitesConfigFileName(), "sites_config.txt");
    settings.setSitesConfigUpdateDate(QDate(2024, 2, 29));
    EXPECT_EQ(settings.value(Key::SitesConfigUpdateDate).toString(), "2024-02-29");
    EXPECT_EQ(settings.sitesConfigUpdateDate(), QDate(2024, 2, 29));
    settings.setValue(Key::SitesConfigUpdateDate, "not a date");
    EXPECT_TRUE(settings.sitesConfigUpdateDate().isNull());
}

TEST_F(RivuletSettingsTest, DataFoldersAreMadeUnderLocalAppDataAndProgramData)
{
    const QString local = TestEnvironment::freshDir("local");
    ScopedEnv env("LOCALAPPDATA", local.toLocal8Bit());
    EXPECT_EQ(settings.studyDatabasePath().valueOr(QString()),
              local + "/Aldermoor Lab/Rivulet/Rivulet.db");
    EXPECT_TRUE(QFileInfo(local + "/Aldermoor Lab/Rivulet").isDir());
    settings.setValue(Key::DbName, "Other.db");
    EXPECT_EQ(settings.studyDatabasePath().valueOr(QString()),
              local + "/Aldermoor Lab/Rivulet/Other.db");
    const QString programData = TestEnvironment::freshDir("programdata");
    ScopedEnv common("ProgramData", programData.toLocal8Bit());
    EXPECT_EQ(settings.sitesConfigDir(), programData + "/Aldermoor Lab/Common");
    EXPECT_TRUE(QFileInfo(programData + "/Aldermoor Lab/Common").isDir());
}

TEST_F(RivuletSettingsTest, FolderFailuresAreEmptyOrAnError)
{
    const QString blocker = TestEnvironment::freshDir("blocked") + "/file";
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    {
        ScopedEnv env("LOCALAPPDATA", blocker.toLocal8Bit());
        const lum::Expected<QString> path = settings.studyDatabasePath();
        ASSERT_FALSE(path);
        EXPECT_EQ(path.error().text(), "Unable to create db path.");
    }
    ScopedEnv env("ProgramData", blocker.toLocal8Bit());
    EXPECT_TRUE(settings.sitesConfigDir().isEmpty());
}

class RivuletSettingsDatabase : public RivuletSettingsTest
{
protected:
    void SetUp() override
    {
        RivuletSettingsTest::SetUp();
        ASSERT_TRUE(db.open(TestEnvironment::freshDir("settingsdb") + "/Rivulet.db"));
    }

    QStringList settingsRows() const
    {
        const lum::TableData rows(*db.database(),
                                  "SELECT key, position, value FROM settings ORDER BY id");
        QStringList list;
        for (int r = 0; r < rows.numRows(); ++r)
            list.append(rows.stringValue(r, 0) + "|" + rows.stringValue(r, 1) + "|" +
                        rows.stringValue(r, 2));
        return list;
    }

    void addDatabase()
    {
        settings.addDatabaseSettings(db.database(), db.model(RivuletDb::Settings));
    }

    RivuletDb db;
};

TEST_F(RivuletSettingsDatabase, EveryDatabaseGetsVersionOneKeysAsOneRowEachAndRestoreEmptiesIt)
{
    ASSERT_TRUE(db.database()->exec("INSERT INTO settings (key, position, value) VALUES (?, ?, ?)",
                                    {"db_version", 0, "5"}));
    addDatabase();
    EXPECT_EQ(settingsRows(), QStringList{"db_version|0|1"});
    EXPECT_DOUBLE_EQ(settings.value(Key::EstimationEndingCriterion).toDouble(), 0.0001);
    settings.setValue(Key::Optimizer, 1);
    settings.setValue(Key::Optimizer, 2);
    settings.setValue(Key::PrecisionEst, 6); // a per-user key stays out of the database
    EXPECT_EQ(settingsRows(), (QStringList{"db_version|0|1", "optimizer|0|2"}));
    EXPECT_EQ(settings.value(Key::Optimizer).toInt(), 2);
    settings.restoreDefaults(true); // empties the database store too
    EXPECT_TRUE(settingsRows().isEmpty());
    EXPECT_EQ(settings.value(Key::Optimizer).toInt(), 0);
}

// Rewriting an unchanged version made every command wait for another process's write lock.
TEST_F(RivuletSettingsDatabase, CurrentVersionIsNotWrittenAgain)
{
    ASSERT_TRUE(db.database()->exec("INSERT INTO settings (key, position, value) VALUES (?, ?, ?)",
                                    {"db_version", 0, "1"}));
    const auto changes = [this] {
        return lum::TableData(*db.database(), "SELECT total_changes()").intValue(0, 0);
    };
    const int before = changes();
    addDatabase();
    EXPECT_EQ(changes(), before);
    EXPECT_EQ(settingsRows(), QStringList{"db_version|0|1"});
}

} // namespace
} // namespace rivulet
