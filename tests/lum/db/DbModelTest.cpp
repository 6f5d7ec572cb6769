#include "lum/db/DbModel.h"
#include "lum/db/SettingModel.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class PeopleModel : public lum::DbModel
{
public:
    PeopleModel() : lum::DbModel(QStringLiteral("people"), 3)
    {
        static const char* const names[] = {"id", "name", "age"};
        static const char* const types[] = {"INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER"};
        setColumns(3, names, types);
    }
};

class EmptyModel : public lum::DbModel
{
public:
    EmptyModel() : lum::DbModel(QStringLiteral("nothing"), 0)
    {
        static const char* const names[] = {"id"};
        static const char* const types[] = {"INTEGER"};
        setColumns(0, names, types);
    }
};

TEST(DbModel, describesItsColumns)
{
    const PeopleModel model;
    EXPECT_EQ(model.tableName(), "people");
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.columnNames(), QStringList({"id", "name", "age"}));
    EXPECT_EQ(model.columnTypes(),
              QStringList({"INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER"}));
    EXPECT_EQ(model.columnName(2), "age");
    EXPECT_EQ(model.columnType(1), "TEXT");
    EXPECT_EQ(model.quotedColumnName(1), "`name`");
    EXPECT_EQ(model.qualifiedColumnName(2), "`people`.`age`");
    EXPECT_EQ(model.modelKind(), 0);
    EXPECT_TRUE(model.indexColumns().isEmpty());
}

TEST(DbModel, countBelowOneLeavesNoColumns)
{
    const EmptyModel model;
    EXPECT_TRUE(model.columnNames().isEmpty());
    EXPECT_TRUE(model.columnTypes().isEmpty());
    EXPECT_THROW(model.columnName(0), std::out_of_range);
    EXPECT_EQ(model.insertSql(), "INSERT INTO nothing ()  VALUES ()");
}

TEST(DbModel, indexOutsideTheColumnsThrows)
{
    const PeopleModel model;
    for (const int bad : {-1, 3, 100}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(model.columnName(bad), std::out_of_range);
        EXPECT_THROW(model.columnType(bad), std::out_of_range);
        EXPECT_THROW(model.quotedColumnName(bad), std::out_of_range);
        EXPECT_THROW(model.qualifiedColumnName(bad), std::out_of_range);
        EXPECT_THROW(model.selectSql({0, bad}), std::out_of_range);
    }
    EXPECT_THROW(model.insertSql(-1), std::out_of_range);
    try {
        model.columnName(3);
        FAIL() << "no exception";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "Index out of range");
    }
}

TEST(DbModel, selectTexts)
{
    const PeopleModel model;
    EXPECT_EQ(model.selectSql(), "SELECT * FROM people ");
    EXPECT_EQ(model.selectSql({2}), "SELECT * FROM people ORDER BY age");
    EXPECT_EQ(model.selectSql({2, 1}, QString()), "SELECT * FROM people ORDER BY age, name");
    EXPECT_EQ(model.selectSql({}, "age > ?"), "SELECT * FROM people WHERE age > ? ");
    EXPECT_EQ(model.selectSql({1}, "age > ?"), "SELECT * FROM people WHERE age > ? ORDER BY name");
}

TEST(DbModel, insertAndDeleteTexts)
{
    const PeopleModel model;
    EXPECT_EQ(model.insertSql(), "INSERT INTO people (`name`, `age`)  VALUES (?, ?)");
    EXPECT_EQ(model.insertSql(0), "INSERT INTO people (`id`, `name`, `age`)  VALUES (?, ?, ?)");
    EXPECT_EQ(model.insertSql(2), "INSERT INTO people (`age`)  VALUES (?)");
    EXPECT_EQ(model.insertSql(3), "INSERT INTO people ()  VALUES ()");
    EXPECT_EQ(model.deleteSql(QString()), "DELETE FROM people ");
    EXPECT_EQ(model.deleteSql("id = ?"), "DELETE FROM people WHERE id = ? ");
}

TEST(SettingModel, isTheSettingsTable)
{
    const lum::SettingModel model;
    EXPECT_EQ(model.tableName(), "settings");
    EXPECT_EQ(model.modelKind(), 4);
    EXPECT_EQ(model.columnNames(), QStringList({"id", "key", "position", "value"}));
    EXPECT_EQ(model.columnTypes(),
              QStringList({"INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER", "TEXT"}));
    EXPECT_TRUE(model.indexColumns().isEmpty());
    EXPECT_EQ(model.insertSql(),
              "INSERT INTO settings (`key`, `position`, `value`)  VALUES (?, ?, ?)");
}

} // namespace
