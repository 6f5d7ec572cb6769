#include "rivulet/data/RivuletDb.h"
#include "common/TestEnvironment.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"
#include "rivulet/data/TagDbModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

using test::TestEnvironment;

QStringList namesOf(const lum::SqliteDb& db, const QString& type)
{
    const lum::TableData rows(db,
                              "SELECT name FROM sqlite_master WHERE type = ? AND "
                              "substr(name, 1, 7) <> 'sqlite_' ORDER BY name",
                              {type});
    QStringList names;
    for (int r = 0; r < rows.numRows(); ++r)
        names << rows.stringValue(r, 0);
    return names;
}

int countRows(const lum::SqliteDb& db, const QString& table)
{
    return lum::TableData(db, "SELECT COUNT(*) FROM " + table).intValue(0, 0);
}

int insertTag(RivuletDb& rdb, const QString& code, int releaseId)
{
    lum::SqlStatement insert(*rdb.database());
    // The tag code is the key, so the insert lists every column.
    insert.prepare(rdb.model(RivuletDb::Tags)->insertSql(0));
    lum::StatementBinder binder(insert);
    binder.bind(1, code);
    binder.bind(2, releaseId);
    binder.bind(3, -1);
    binder.bind(4, "2012-04-23 14:05:00");
    return insert.step();
}

const QStringList allIndexes = {
    "idx_releases_release_site_id",
    "idx_releases_release_year_id",
    "idx_tags_cohort_id",
};
const QStringList allTables = {"cohorts", "observations", "releases", "settings",
                               "sites",   "tags",         "years"};

TEST(RivuletDb, anEmptyFileBecomesTheWholeSchemaThatReopensWithItsData)
{
    const QString path = TestEnvironment::freshDir("schema") + "/Aldermoor Lab/Rivulet/Rivulet.db";
    QDir().mkpath(QFileInfo(path).path());
    QFile(path).open(QIODevice::WriteOnly);
    {
        RivuletDb& rdb = RivuletDb::instance();
        ASSERT_EQ(rdb.open(path), 0) << rdb.lastError().text().toStdString();
        const lum::SqliteDb& db = *rdb.database();
        EXPECT_EQ(namesOf(db, "table"), allTables);
        EXPECT_EQ(namesOf(db, "index"), allIndexes);
        // The schema alone writes no settings row; "db_version" is stored by the settings
        // layer once the database is open.
        EXPECT_EQ(countRows(db, "settings"), 0);
        ASSERT_EQ(insertTag(rdb, "3D9.1C2D6A1B7F", 1), lum::SqlStatement::Done);
        // The singleton stays open on purpose: the process must end cleanly with it open.
    }
    EXPECT_TRUE(RivuletDb::isValidDatabase(path));
    RivuletDb rdb;
    ASSERT_EQ(rdb.open(path), 0);
    EXPECT_EQ(countRows(*rdb.database(), "tags"), 1);
    EXPECT_EQ(namesOf(*rdb.database(), "index"), allIndexes);
}

TEST(RivuletDb, tagCodesAreExactText)
{
    RivuletDb rdb;
    ASSERT_EQ(rdb.open(TestEnvironment::freshDir("schema") + "/Rivulet.db"), 0);
    const lum::DbModel& tags = *rdb.model(RivuletDb::Tags);
    const QStringList codes = {"3D9.1C2D6A1B7F", "3d9.1c2d6a1b7f", "O'Neil's tag", "release_id",
                               "0012"};
    for (const QString& code : codes)
        ASSERT_EQ(insertTag(rdb, code, 7), lum::SqlStatement::Done) << code.toStdString();
    EXPECT_NE(insertTag(rdb, "3D9.1C2D6A1B7F", 8), lum::SqlStatement::Done); // duplicate key

    lum::SqliteDb& db = *rdb.database();
    const lum::TableData rows(db, "SELECT id, typeof(id), release_id FROM tags ORDER BY rowid");
    ASSERT_EQ(rows.numRows(), codes.size());
    for (int r = 0; r < rows.numRows(); ++r) {
        EXPECT_EQ(rows.stringValue(r, 0), codes.at(r));
        EXPECT_EQ(rows.stringValue(r, 1), "text"); // "0012" keeps its zeros
        EXPECT_EQ(rows.intValue(r, 2), 7);
    }
    EXPECT_TRUE(db.findFirst(tags, TagDbModel::Id, "3d9.1c2d6a1b7f"));
    EXPECT_FALSE(db.findFirst(tags, TagDbModel::Id, "3D9.1c2d6a1b7f"));
    EXPECT_FALSE(db.findFirst(tags, TagDbModel::Id, "12"));
    const lum::TableData byColumnName(db, tags.selectSql({}, "release_id = ?"),
                                      {QString("release_id")});
    EXPECT_EQ(byColumnName.numRows(), 0);
    const lum::TableData byId(db, tags.selectSql({}, "id = ?"), {QString("release_id")});
    EXPECT_EQ(byId.numRows(), 1);
}

} // namespace
} // namespace rivulet
