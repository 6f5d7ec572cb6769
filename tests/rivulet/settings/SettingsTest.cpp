#include "rivulet/settings/RivuletSettings.h"

#include "common/TestEnvironment.h"
#include "lum/db/TableData.h"
#include "lum/settings/LumQtSettingsProxy.h"
#include "lum/settings/SettingsController.h"
#include "rivulet/data/RivuletDb.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

using test::ScopedEnv;
using test::TestEnvironment;
using Key = RivuletSettings::Key;

struct KeyEntry
{
    int key;
    const char* name;
    QVariant defaultValue;
};

bool onPerUserStore(const RivuletSettings& settings, int key)
{
    return dynamic_cast<lum::LumQtSettingsProxy*>(settings.storeFor(key)) != nullptr;
}

bool onDatabaseStore(const RivuletSettings& settings, int key)
{
    return dynamic_cast<lum::SettingsController*>(settings.storeFor(key)) != nullptr;
}

class RivuletSettingsTest : public ::testing::Test
{
protected:
    // The per-user store is shared by every settings object of the test
    // binary; start each case from nothing stored.
    void SetUp() override { settings.restoreDefaults(true); }
    void TearDown() override { settings.restoreDefaults(true); }

    RivuletSettings settings;
};

TEST_F(RivuletSettingsTest, RegistersThePerUserKeysWithTheirDefaults)
{
    const QList<KeyEntry> entries = {
        {0, "clean_exit", true},
        {1, "current_dataset_id", -1},
        {3, "diag_dir", QVariant()},
        {6, "db_name", "Rivulet.db"},
        {9, "geom_main_window", QVariant()},
        {12, "precision_est", 4},
        {13, "precision_err", 4},
        {14, "prev_file", QVariant()},
        {15, "program_name", "Rivulet"},
        {16, "sites_config_file_name", "sites_config.txt"},
        {17, "sites_config_update_date", QVariant()},
        {18, "show_estimates_on_diagram", false},
        {19, "mock_input", 1},
        {20, "diagnostics_enabled", false},
        {21, "ui_expert_mode", 0},
    };
    QList<int> keys;
    for (const KeyEntry& entry : entries) {
        keys.append(entry.key);
        EXPECT_EQ(settings.name(entry.key), entry.name);
        EXPECT_EQ(settings.defaultValue(entry.key), entry.defaultValue) << entry.name;
        EXPECT_EQ(settings.value(entry.key), entry.defaultValue) << entry.name;
        EXPECT_TRUE(onPerUserStore(settings, entry.key)) << entry.name;
    }
    // The database keys come only with a database.
    EXPECT_EQ(settings.keys(), keys);
    EXPECT_EQ(settings.preservedKeys(), (QList<int>{Key::PrevFile, Key::DiagDir, 2}));
}

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

TEST_F(RivuletSettingsTest, DbPathIsInTheApplicationFolderOfLocalAppData)
{
    const QString local = TestEnvironment::freshDir("local");
    ScopedEnv env("LOCALAPPDATA", local.toLocal8Bit());
    const QString path = settings.dbPath(Key::DbName);
    EXPECT_EQ(path, local + "/Aldermoor Lab/Rivulet/Rivulet.db");
    EXPECT_TRUE(QFileInfo(local + "/Aldermoor Lab/Rivulet").isDir());
    settings.setValue(Key::DbName, "Other.db");
    EXPECT_EQ(settings.dbPath(Key::DbName), local + "/Aldermoor Lab/Rivulet/Other.db");
}

TEST_F(RivuletSettingsTest, SitesConfigDirIsCreatedUnderProgramData)
{
    const QString programData = TestEnvironment::freshDir("programdata");
    ScopedEnv env("ProgramData", programData.toLocal8Bit());
    const QString dir = settings.sitesConfigDir();
    EXPECT_EQ(dir, programData + "/Aldermoor Lab/Common");
    EXPECT_TRUE(QFileInfo(dir).isDir());
}

// A data folder variable naming a file, so that no folder can be made below it.
TEST_F(RivuletSettingsTest, FolderFailuresAreEmptyWithAMessage)
{
    const QString blocker = TestEnvironment::freshDir("blocked") + "/file";
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    {
        ScopedEnv env("LOCALAPPDATA", blocker.toLocal8Bit());
        EXPECT_TRUE(settings.dbPath(Key::DbName).isEmpty());
        EXPECT_EQ(settings.lastError(), "Unable to create db path.");
    }
    ScopedEnv env("ProgramData", blocker.toLocal8Bit());
    EXPECT_TRUE(settings.sitesConfigDir().isEmpty());
    EXPECT_EQ(settings.lastError(), "Unable to create sites configuration path");
}

class RivuletSettingsDatabase : public RivuletSettingsTest
{
protected:
    void SetUp() override
    {
        RivuletSettingsTest::SetUp();
        ASSERT_EQ(db.open(TestEnvironment::freshDir("settingsdb") + "/Rivulet.db"), 0);
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

TEST_F(RivuletSettingsDatabase, FreshDatabaseHoldsOnlyItsVersion)
{
    addDatabase();
    EXPECT_EQ(settingsRows(), QStringList{"db_version|0|1"});
    for (int key :
         {Key::DbVersion, Key::EstimationEndingCriterion, Key::Optimizer, Key::OptimizerDefault})
        EXPECT_TRUE(onDatabaseStore(settings, key)) << key;
    EXPECT_TRUE(onPerUserStore(settings, Key::PrecisionEst));
    EXPECT_EQ(settings.name(Key::EstimationEndingCriterion), "estimation_ending_criterion");
    EXPECT_EQ(settings.name(Key::OptimizerDefault), "optimizer_default");
    EXPECT_DOUBLE_EQ(settings.value(Key::EstimationEndingCriterion).toDouble(), 0.0001);
    EXPECT_EQ(settings.value(Key::Optimizer).toInt(), 0);
    EXPECT_EQ(settings.value(Key::DbVersion).toInt(), 1);
}

TEST_F(RivuletSettingsDatabase, DatabaseKeyIsWrittenAsOneRow)
{
    addDatabase();
    settings.setValue(Key::Optimizer, 1);
    settings.setValue(Key::Optimizer, 2);
    EXPECT_EQ(settingsRows(), (QStringList{"db_version|0|1", "optimizer|0|2"}));
    EXPECT_EQ(settings.value(Key::Optimizer), QVariant("2"));
    EXPECT_EQ(settings.value(Key::Optimizer).toInt(), 2);
}

TEST_F(RivuletSettingsDatabase, EveryDatabaseOpenedGetsVersionOne)
{
    db.database()->exec("INSERT INTO settings (key, position, value) VALUES (?, ?, ?)",
                        {"db_version", 0, "5"});
    addDatabase();
    EXPECT_EQ(settingsRows(), QStringList{"db_version|0|1"});
}

// Rewriting an unchanged version made every command wait for another process's write lock.
TEST_F(RivuletSettingsDatabase, CurrentVersionIsNotWrittenAgain)
{
    db.database()->exec("INSERT INTO settings (key, position, value) VALUES (?, ?, ?)",
                        {"db_version", 0, "1"});
    const auto changes = [this] {
        return lum::TableData(*db.database(), "SELECT total_changes()").intValue(0, 0);
    };
    const int before = changes();
    addDatabase();
    EXPECT_EQ(changes(), before);
    EXPECT_EQ(settingsRows(), QStringList{"db_version|0|1"});
}

TEST_F(RivuletSettingsDatabase, RestoreAllEmptiesTheDatabaseStoreToo)
{
    addDatabase();
    settings.setValue(Key::EstimationEndingCriterion, 0.01);
    settings.restoreDefaults(true);
    EXPECT_TRUE(settingsRows().isEmpty());
    EXPECT_DOUBLE_EQ(settings.value(Key::EstimationEndingCriterion).toDouble(), 0.0001);
}

} // namespace
} // namespace rivulet
