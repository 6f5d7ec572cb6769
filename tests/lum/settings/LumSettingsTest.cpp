#include "TestSettings.h"

#include "common/TestEnvironment.h"

#include <QDir>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

using lum::test::TestSettings;

TEST(LumSettings, StoredValuesWinOverDefaultsAndSurviveANewSettingsObject)
{
    {
        TestSettings settings;
        settings.addSetting(12, "precision", 4);
        settings.addSetting(14, "folder", QVariant());
        settings.restoreDefaults(true); // the per-user store is shared by every case
        EXPECT_EQ(settings.value(12), QVariant(4));
        EXPECT_FALSE(settings.value(14).isValid());
        settings.setValue(12, 7);
        settings.setValue(99, "unregistered keys are not written");
        EXPECT_FALSE(settings.value(99).isValid());
        settings.sync();
    }
    // On the per-user store of the application, under the isolated configuration folder.
    QSettings platform;
    EXPECT_TRUE(platform.fileName().startsWith(rivulet::test::TestEnvironment::root()));
    EXPECT_TRUE(platform.fileName().contains("Aldermoor Lab"));
    EXPECT_EQ(platform.value("precision").toInt(), 7);
    EXPECT_FALSE(platform.contains("folder"));
    TestSettings again;
    again.addSetting(12, "precision", 4);
    EXPECT_EQ(again.value(12).toInt(), 7);
}

TEST(LumSettings, RestoreKeepsThePreservedKeysUnlessAllAreAsked)
{
    TestSettings settings;
    settings.addSetting(0, "flag", true);
    settings.addSetting(3, "diag_dir", QVariant());
    settings.addSetting(12, "precision", 4);
    settings.setPreservedKeys({3, 2});
    settings.setValue(0, false);
    settings.setValue(3, "/d");
    settings.setValue(12, 6);
    settings.restoreDefaults(false);
    EXPECT_EQ(settings.value(0), QVariant(true));
    EXPECT_EQ(settings.value(12), QVariant(4));
    EXPECT_EQ(settings.value(3), QVariant("/d"));
    settings.restoreDefaults(true);
    EXPECT_FALSE(settings.value(3).isValid());
    settings.writeMissingDefaults(); // defaults are readable: nothing to write
    settings.sync();
    const QSettings platform;
    for (const char* name : {"flag", "diag_dir", "precision"})
        EXPECT_FALSE(platform.contains(name)) << name;
}

TEST(LumSettings, ArraysReadBackAsWrittenAndOnlyExistingElementsChange)
{
    TestSettings settings;
    settings.addSetting(1, "list", -1);
    settings.writeArray(1, {"a", 2, 3.5});
    EXPECT_EQ(settings.arrayValue(1, 1).toInt(), 2);
    EXPECT_FALSE(settings.arrayValue(1, 3).isValid());
    EXPECT_FALSE(settings.arrayValue(1, -1).isValid());
    settings.writeArray(1, {1, 2, 3}); // a shorter array replaces a longer one
    settings.writeArray(1, {1, 2});
    settings.setArrayValue(1, 1, 20);
    settings.setArrayValue(1, 2, 40);
    settings.setArrayValue(1, -1, 40);
    settings.setValue(1, 0, 10);
    EXPECT_EQ(settings.readArray(1), (QVariantList{10, 20}));
    settings.setValue(1, -1, 5); // -1 is the plain value
    EXPECT_EQ(settings.value(1).toInt(), 5);
}

TEST(LumSettings, SetDirectoryOfStoresTheAbsoluteFolderOfAFileThatNeedNotExist)
{
    TestSettings settings;
    settings.addSetting(14, "prev_file", QVariant());
    const QString dir = rivulet::test::TestEnvironment::freshDir("dirof");
    settings.setDirectoryOf(14, dir + "/sub/missing.csv");
    EXPECT_EQ(settings.value(14).toString(), dir + "/sub");
    settings.setDirectoryOf(14, "relative.csv");
    EXPECT_EQ(settings.value(14).toString(), QDir::currentPath());
}

} // namespace
