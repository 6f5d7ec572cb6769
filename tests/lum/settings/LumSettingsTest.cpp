#include "MemoryStore.h"
#include "TestSettings.h"

#include "common/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using lum::test::MemoryStore;
using lum::test::TestSettings;

class LumSettingsRegistry : public ::testing::Test
{
protected:
    TestSettings settings;
    MemoryStore* store = settings.add(std::make_unique<MemoryStore>());
};

TEST_F(LumSettingsRegistry, UnstoredKeyReadsAsItsDefaultAndKeyWithoutDefaultAsEmpty)
{
    settings.addSetting(12, "precision", 4);
    settings.addSetting(14, "folder", QVariant());
    EXPECT_EQ(settings.value(12), QVariant(4));
    EXPECT_EQ(settings.defaultValue(12), QVariant(4));
    EXPECT_FALSE(settings.value(14).isValid());
    EXPECT_FALSE(settings.defaultValue(14).isValid());
    EXPECT_TRUE(store->values.isEmpty());
}

TEST_F(LumSettingsRegistry, StoredValueWinsOverDefault)
{
    settings.addSetting(12, "precision", 4);
    settings.setValue(12, 7);
    EXPECT_EQ(store->values.value("precision"), QVariant(7));
    EXPECT_EQ(settings.value(12), QVariant(7));
}

TEST_F(LumSettingsRegistry, UnregisteredKeyReadsEmptyAndIsNotWritten)
{
    settings.setValue(99, "x");
    settings.setValue(99, 2, "x");
    EXPECT_FALSE(settings.value(99).isValid());
    EXPECT_FALSE(settings.defaultValue(99).isValid());
    EXPECT_FALSE(settings.arrayValue(99, 0).isValid());
    EXPECT_TRUE(settings.readArray(99).isEmpty());
    EXPECT_TRUE(store->values.isEmpty());
}

TEST_F(LumSettingsRegistry, RegisteringAgainReplacesNameDefaultAndStore)
{
    settings.addSetting(5, "old", 1);
    auto* second = settings.add(std::make_unique<MemoryStore>());
    settings.addSetting(5, "new", QVariant());
    EXPECT_EQ(settings.name(5), "new");
    EXPECT_FALSE(settings.defaultValue(5).isValid());
    EXPECT_EQ(settings.storeFor(5), second);
    settings.setValue(5, "v");
    EXPECT_EQ(second->values.value("new"), QVariant("v"));
    EXPECT_TRUE(store->values.isEmpty());
}

TEST_F(LumSettingsRegistry, KeysStayOnTheStoreThatWasCurrentWhenRegistered)
{
    settings.addSetting(1, "user_key", 10);
    auto* database = settings.add(std::make_unique<MemoryStore>());
    settings.addSetting(8, "db_key", 0.5);
    settings.setValue(1, 11);
    settings.setValue(8, 0.25);
    EXPECT_EQ(store->values.keys(), QStringList{"user_key"});
    EXPECT_EQ(database->values.keys(), QStringList{"db_key"});
    EXPECT_EQ(settings.storeFor(1), store);
    EXPECT_EQ(settings.storeFor(8), database);
    // An unregistered key is looked up on the current store.
    EXPECT_EQ(settings.storeFor(42), database);
}

TEST_F(LumSettingsRegistry, KeysAreListedInAscendingOrder)
{
    settings.addSetting(19, "c", 1);
    settings.addSetting(0, "a", 1);
    settings.addSetting(6, "b", 1);
    EXPECT_EQ(settings.keys(), (QList<int>{0, 6, 19}));
}

TEST_F(LumSettingsRegistry, SetDirectoryOfStoresTheAbsoluteFolderOfAFileThatNeedNotExist)
{
    settings.addSetting(14, "prev_file", QVariant());
    const QString dir = rivulet::test::TestEnvironment::freshDir("dirof");
    settings.setDirectoryOf(14, dir + "/sub/missing.csv");
    EXPECT_EQ(settings.value(14).toString(), dir + "/sub");
    settings.setDirectoryOf(14, "relative.csv");
    EXPECT_EQ(settings.value(14).toString(), QDir::currentPath());
}

class LumSettingsDefaults : public LumSettingsRegistry
{
protected:
    void SetUp() override
    {
        settings.addSetting(0, "flag", true);
        settings.addSetting(3, "diag_dir", QVariant());
        settings.addSetting(9, "geometry", QVariant());
        settings.addSetting(12, "precision", 4);
        settings.addSetting(14, "prev_file", QVariant());
        settings.setPreservedKeys({14, 3, 2});
        settings.setValue(0, false);
        settings.setValue(3, "/d");
        settings.setValue(9, QByteArray("geom"));
        settings.setValue(12, 6);
        settings.setValue(14, "/p");
    }
};

TEST_F(LumSettingsDefaults, RestoreKeepingPreservedKeysRemovesTheOthersInKeyOrder)
{
    settings.restoreDefaults(false);
    EXPECT_EQ(store->removed, (QStringList{"flag", "geometry", "precision"}));
    EXPECT_EQ(settings.value(0), QVariant(true));
    EXPECT_FALSE(settings.value(9).isValid());
    EXPECT_EQ(settings.value(12), QVariant(4));
    EXPECT_EQ(settings.value(3), QVariant("/d"));
    EXPECT_EQ(settings.value(14), QVariant("/p"));
}

TEST_F(LumSettingsDefaults, RestoreAllRemovesEveryKey)
{
    settings.restoreDefaults(true);
    EXPECT_EQ(store->removed.size(), 5);
    EXPECT_FALSE(settings.value(3).isValid());
    EXPECT_FALSE(settings.value(14).isValid());
    EXPECT_TRUE(store->values.isEmpty());
}

TEST_F(LumSettingsDefaults, WriteMissingDefaultsWritesNothingWhileDefaultsAreReadable)
{
    store->values.clear();
    settings.writeMissingDefaults();
    EXPECT_TRUE(store->values.isEmpty());
}

class LumSettingsArrays : public LumSettingsRegistry
{
protected:
    void SetUp() override { settings.addSetting(1, "list", -1); }
};

TEST_F(LumSettingsArrays, WrittenArrayReadsBackInOrder)
{
    settings.writeArray(1, {"a", 2, 3.5});
    EXPECT_EQ(settings.readArray(1), (QVariantList{"a", 2, 3.5}));
    EXPECT_EQ(settings.arrayValue(1, 1), QVariant(2));
    EXPECT_FALSE(settings.arrayValue(1, 3).isValid());
    EXPECT_FALSE(settings.arrayValue(1, -1).isValid());
}

TEST_F(LumSettingsArrays, ShorterArrayReplacesLongerOne)
{
    settings.writeArray(1, {1, 2, 3});
    settings.writeArray(1, {9});
    EXPECT_EQ(settings.readArray(1), QVariantList{9});
}

TEST_F(LumSettingsArrays, SetArrayValueReplacesOnlyAnExistingElement)
{
    settings.writeArray(1, {1, 2, 3});
    settings.setArrayValue(1, 2, 30);
    EXPECT_EQ(settings.readArray(1), (QVariantList{1, 2, 30}));
    settings.setArrayValue(1, 3, 40);
    settings.setArrayValue(1, -1, 40);
    EXPECT_EQ(settings.readArray(1), (QVariantList{1, 2, 30}));
}

TEST_F(LumSettingsArrays, SetValueWithIndexGoesToTheElementAndMinusOneToThePlainValue)
{
    settings.writeArray(1, {1, 2});
    settings.setValue(1, 0, 10);
    EXPECT_EQ(settings.readArray(1), (QVariantList{10, 2}));
    settings.setValue(1, -1, 5);
    EXPECT_EQ(store->values.value("list"), QVariant(5));
}

} // namespace
