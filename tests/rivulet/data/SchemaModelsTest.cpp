#include "lum/db/SettingModel.h"
#include "rivulet/data/CohortDbModel.h"
#include "rivulet/data/ObservationDbModel.h"
#include "rivulet/data/ReleaseDbModel.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SiteDbModel.h"
#include "rivulet/data/TagDbModel.h"
#include "rivulet/data/YearDbModel.h"

#include <gtest/gtest.h>

namespace rivulet {
namespace {

struct TableCase
{
    int id;
    const char* table;
    QStringList columns;
    QStringList types;
    QList<int> indexes;
};

const QString key = "INTEGER PRIMARY KEY AUTOINCREMENT";

const QList<TableCase> tableCases()
{
    return {
        {RivuletDb::Cohorts,
         "cohorts",
         {"id", "cohort", "active"},
         {key, "INTEGER", "INTEGER"},
         {0}},
        {RivuletDb::Observations,
         "observations",
         {"id", "tag_id", "site_id", "migration_year_id", "obs_time", "disposition"},
         {key, "TEXT", "INTEGER", "INTEGER", "TEXT", "INTEGER"},
         {0, 1, 2, 3, 5}},
        {RivuletDb::Releases,
         "releases",
         {"id", "release_site_id", "release_year_id", "sequence", "active_sequence"},
         {key, "INTEGER", "INTEGER", "INTEGER", "INTEGER"},
         {0, 1, 2}},
        {RivuletDb::Settings,
         "settings",
         {"id", "key", "position", "value"},
         {key, "TEXT", "INTEGER", "TEXT"},
         {}},
        {RivuletDb::Sites,
         "sites",
         {"id", "short_name", "long_name", "code", "sequence", "active_sequence"},
         {key, "TEXT", "TEXT", "TEXT", "INTEGER", "INTEGER"},
         {0}},
        {RivuletDb::Tags,
         "tags",
         {"id", "release_id", "cohort_id", "release_time"},
         {"TEXT PRIMARY KEY", "INTEGER", "INTEGER", "TEXT"},
         {0, 1, 2}},
        {RivuletDb::Years,
         "years",
         {"id", "year", "begin_date", "end_date", "sequence", "active_sequence"},
         {key, "INTEGER", "TEXT", "TEXT", "INTEGER", "INTEGER"},
         {0}},
    };
}

TEST(SchemaModels, registeredUnderTheirIdentifiers)
{
    RivuletDb db;
    EXPECT_EQ(db.registerModels(), 1);
    ASSERT_EQ(db.models().size(), 7);
    for (const TableCase& expected : tableCases()) {
        SCOPED_TRACE(expected.table);
        const lum::DbModel* model = db.model(expected.id);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->tableName(), expected.table);
        EXPECT_EQ(model->columnCount(), expected.columns.size());
        EXPECT_EQ(model->columnNames(), expected.columns);
        EXPECT_EQ(model->columnTypes(), expected.types);
        EXPECT_EQ(model->indexColumns(), expected.indexes);
        EXPECT_EQ(model->modelKind(), expected.id == RivuletDb::Settings ? 4 : 0);
    }
    EXPECT_NE(dynamic_cast<lum::SettingModel*>(db.model(RivuletDb::Settings)), nullptr);
    EXPECT_NE(dynamic_cast<TagDbModel*>(db.model(RivuletDb::Tags)), nullptr);
}

TEST(SchemaModels, sqlTexts)
{
    const ObservationDbModel observations;
    EXPECT_EQ(observations.insertSql(),
              "INSERT INTO observations (`tag_id`, `site_id`, `migration_year_id`, `obs_time`, "
              "`disposition`)  VALUES (?, ?, ?, ?, ?)");
    const SiteDbModel sites;
    EXPECT_EQ(sites.selectSql({4, 5}, QString()),
              "SELECT * FROM sites ORDER BY sequence, active_sequence");
    EXPECT_EQ(sites.qualifiedColumnName(SiteDbModel::Code), "`sites`.`code`");
    const TagDbModel tags;
    EXPECT_EQ(tags.insertSql(0),
              "INSERT INTO tags (`id`, `release_id`, `cohort_id`, `release_time`)  VALUES (?, ?, "
              "?, ?)");
    const CohortDbModel cohorts;
    EXPECT_EQ(cohorts.deleteSql(QString()), "DELETE FROM cohorts ");
}

} // namespace
} // namespace rivulet
