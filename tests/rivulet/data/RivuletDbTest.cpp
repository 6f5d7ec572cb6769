#include "rivulet/data/RivuletDb.h"
#include "common/TestEnvironment.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"
#include "rivulet/data/ObservationDbModel.h"
#include "rivulet/data/TagDbModel.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

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
    "idx_cohorts_id",
    "idx_observations_disposition",
    "idx_observations_id",
    "idx_observations_migration_year_id",
    "idx_observations_site_id",
    "idx_observations_tag_id",
    "idx_releases_id",
    "idx_releases_release_site_id",
    "idx_releases_release_year_id",
    "idx_sites_id",
    "idx_tags_cohort_id",
    "idx_tags_id",
    "idx_tags_release_id",
    "idx_years_id",
};
const QStringList allTables = {"cohorts", "observations", "releases", "settings",
                               "sites",   "tags",         "years"};

TEST(RivuletDb, freshDatabaseHoldsTheWholeSchema)
{
    const QString path = TestEnvironment::freshDir("schema") + "/Aldermoor Lab/Rivulet/Rivulet.db";
    RivuletDb rdb;
    ASSERT_EQ(rdb.open(path), 0) << rdb.lastError().text().toStdString();
    EXPECT_TRUE(QFileInfo(path).isFile());
    const lum::SqliteDb& db = *rdb.database();
    EXPECT_EQ(namesOf(db, "table"), allTables);
    EXPECT_EQ(namesOf(db, "index"), allIndexes);
    EXPECT_EQ(allIndexes.size(), 14);
    // The schema alone writes no settings row; "db_version" is stored by the settings layer
    // once the database is open.
    EXPECT_EQ(countRows(db, "settings"), 0);
    EXPECT_TRUE(RivuletDb::isValidDatabase(path));
}

TEST(RivuletDb, emptyFileBecomesADatabase)
{
    const QString path = TestEnvironment::freshDir("schema") + "/Rivulet.db";
    QFile(path).open(QIODevice::WriteOnly);
    ASSERT_EQ(QFileInfo(path).size(), 0);
    RivuletDb rdb;
    ASSERT_EQ(rdb.open(path), 0);
    EXPECT_EQ(namesOf(*rdb.database(), "table"), allTables);
    EXPECT_EQ(namesOf(*rdb.database(), "index").size(), 14);
}

TEST(RivuletDb, reopeningKeepsDataAndSchema)
{
    const QString path = TestEnvironment::freshDir("schema") + "/Rivulet.db";
    {
        RivuletDb rdb;
        ASSERT_EQ(rdb.open(path), 0);
        ASSERT_EQ(insertTag(rdb, "3D9.1C2D6A1B7F", 1), lum::SqlStatement::Done);
    }
    RivuletDb rdb;
    ASSERT_EQ(rdb.open(path), 0);
    EXPECT_EQ(countRows(*rdb.database(), "tags"), 1);
    EXPECT_EQ(namesOf(*rdb.database(), "index"), allIndexes);
}

TEST(RivuletDb, resetKeepsOnlyTheListedTables)
{
    RivuletDb rdb;
    ASSERT_EQ(rdb.open(TestEnvironment::freshDir("schema") + "/Rivulet.db"), 0);
    lum::SqliteDb& db = *rdb.database();
    for (const QString& table : allTables)
        ASSERT_EQ(db.exec("INSERT INTO " + table + " (id) VALUES (?)", {QString("1")}), 0);

    const lum::DbModel* observations = rdb.model(RivuletDb::Observations);
    ASSERT_EQ(rdb.resetTables({observations}), 0);
    for (const QString& table : allTables)
        EXPECT_EQ(countRows(db, table), table == "observations" ? 1 : 0) << table.toStdString();
    EXPECT_EQ(namesOf(db, "table"), allTables);
    EXPECT_EQ(namesOf(db, "index"),
              QStringList({"idx_observations_disposition", "idx_observations_id",
                           "idx_observations_migration_year_id", "idx_observations_site_id",
                           "idx_observations_tag_id"}));

    ASSERT_EQ(rdb.resetTables({}), 0);
    EXPECT_EQ(countRows(db, "observations"), 0);
    EXPECT_TRUE(namesOf(db, "index").isEmpty());
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

TEST(RivuletDb, loaderStyleWriteOnAWorkerThread)
{
    RivuletDb rdb;
    ASSERT_EQ(rdb.open(TestEnvironment::freshDir("schema") + "/Rivulet.db"), 0);
    lum::SqliteDb* db = rdb.database();
    const lum::DbModel* observations = rdb.model(RivuletDb::Observations);
    int begin = -1;
    int commit = -1;
    int done = 0;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        begin = db->beginTransaction();
        ASSERT_EQ(rdb.resetTables({rdb.model(RivuletDb::Settings)}), 0);
        lum::SqlStatement insert(*db);
        db->prepareInsert(*observations, insert);
        for (int i = 0; i < 100; ++i) {
            lum::StatementBinder binder(insert);
            binder.bind(1, QString("TAG%1").arg(i % 10));
            binder.bind(2, i % 3);
            binder.bind(3, -1);
            binder.bind(4, "2012-04-23 14:05:00");
            binder.bind(5, 1 + i % 2);
            done += insert.step() == lum::SqlStatement::Done;
        }
        commit = db->commit();
    }));
    worker->start();
    worker->wait();
    EXPECT_EQ(begin, 0);
    EXPECT_EQ(commit, 0);
    EXPECT_EQ(done, 100);
    const lum::TableData rows(*db,
                              "SELECT COUNT(*), SUM(disposition), MIN(migration_year_id) FROM "
                              "observations WHERE julianday(obs_time) = julianday(?)",
                              {QString("2012-04-23 14:05:00")});
    EXPECT_EQ(rows.intValue(0, 0), 100);
    EXPECT_EQ(rows.intValue(0, 1), 150);
    EXPECT_EQ(rows.intValue(0, 2), -1);
    EXPECT_EQ(rdb.database()->connectionCount(), 1);
}

TEST(RivuletDb, singletonOpensLikeAnyManager)
{
    RivuletDb& rdb = RivuletDb::instance();
    EXPECT_EQ(&rdb, &RivuletDb::instance());
    const QString path = TestEnvironment::freshDir("singleton") + "/Rivulet.db";
    ASSERT_EQ(rdb.open(path), 0);
    EXPECT_EQ(rdb.database()->path(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(namesOf(*rdb.database(), "table").size(), 7);
    // Left open on purpose: the process must end cleanly with the database still open.
}

} // namespace
} // namespace rivulet
