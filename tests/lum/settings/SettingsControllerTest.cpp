#include "lum/settings/SettingsController.h"

#include "common/TestEnvironment.h"
#include "lum/db/SettingModel.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/TableData.h"

#include <gtest/gtest.h>

namespace {

using lum::SettingsController;

struct Row
{
    QString key;
    int position;
    QString value;
    bool operator==(const Row& o) const
    {
        return key == o.key && position == o.position && value == o.value;
    }
};

class SettingsControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.open(rivulet::test::TestEnvironment::freshDir("store") + "/s.db"));
        ASSERT_TRUE(db.createTable(model));
    }

    QList<Row> rows() const
    {
        const lum::TableData data(db, "SELECT key, position, value FROM settings ORDER BY id");
        QList<Row> list;
        for (int r = 0; r < data.numRows(); ++r)
            list.append({data.stringValue(r, 0), data.intValue(r, 1), data.stringValue(r, 2)});
        return list;
    }

    lum::SqliteDb db;
    lum::SettingModel model;
    SettingsController store{&db, &model};
};

TEST_F(SettingsControllerTest, PlainValuesAreOneTextRowEachAndQuotesAreData)
{
    const QString key = "a\"b' OR 1=1 --";
    const QString value = "x'); DROP TABLE settings; --\"";
    store.setValue("optimizer", 1);
    store.setValue("optimizer", 2);
    store.setValue("optimizer_default", 0.0001);
    store.setValue(key, value);
    store.setValue("bytes", QByteArray("ab\xc3\xa9"));
    EXPECT_EQ(store.value(key, QVariant()).toString(), value);
    EXPECT_EQ(store.value("bytes", QVariant()).toString(), QString::fromUtf8("ab\xc3\xa9"));
    EXPECT_EQ(store.value("missing", 0.5), QVariant(0.5));
    store.remove(key);
    store.remove("bytes");
    EXPECT_EQ(rows(), (QList<Row>{{"optimizer", 0, "2"}, {"optimizer_default", 0, "0.0001"}}));
}

TEST_F(SettingsControllerTest, ArrayElementsArePrefixedRowsByPosition)
{
    store.beginWriteArray("sites", 3);
    for (int i = 0; i < 3; ++i) {
        store.setArrayIndex(i);
        store.setValue("data", QString("s%1").arg(i));
    }
    store.endArray();
    store.setValue("plain", "p"); // after endArray: no prefix, position 0
    EXPECT_EQ(rows(), (QList<Row>{
                          {"sites_data", 0, "s0"},
                          {"sites_data", 1, "s1"},
                          {"sites_data", 2, "s2"},
                          {"plain", 0, "p"},
                      }));
    ASSERT_EQ(store.beginReadArray("sites"), 3);
    store.setArrayIndex(2);
    EXPECT_EQ(store.value("data", QVariant()).toString(), "s2");
    store.endArray();
    EXPECT_EQ(store.value("plain", QVariant()).toString(), "p");
}

TEST_F(SettingsControllerTest, ArrayCountTakesThePrefixLiterally)
{
    store.beginWriteArray("a_b", 1);
    store.setValue("data", "1");
    store.endArray();
    store.beginWriteArray("aXb", 2);
    store.setArrayIndex(1);
    store.setValue("data", "2");
    store.endArray();
    // "_" and "%" in a prefix are not wildcards.
    EXPECT_EQ(store.beginReadArray("a_b"), 1);
    store.endArray();
    EXPECT_EQ(store.beginReadArray("a%"), 0);
    store.endArray();
    EXPECT_EQ(store.beginReadArray("missing"), 0);
    store.endArray();
}

TEST(SettingsControllerWithoutDatabase, ReadsDefaultsAndIgnoresWrites)
{
    lum::SqliteDb closed; // never opened
    lum::SettingModel model;
    SettingsController none(nullptr, &model);
    SettingsController unopened(&closed, &model);
    for (SettingsController* store : {&none, &unopened}) {
        store->setValue("k", 1);
        store->remove("k");
        EXPECT_EQ(store->value("k", 5), QVariant(5));
        EXPECT_EQ(store->beginReadArray("k"), 0);
    }
}

} // namespace
