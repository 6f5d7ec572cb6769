#include "rivulet/data/ObservationDbModel.h"

namespace rivulet {

namespace {
const char* const observationColumns[] = {"id",       "tag_id",     "site_id", "migration_year_id",
                                          "obs_time", "disposition"};
const char* const observationTypes[] = {
    "INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER", "INTEGER", "TEXT", "INTEGER"};
} // namespace

ObservationDbModel::ObservationDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("observations"), NumColumns, parent)
{
    setColumns(NumColumns, observationColumns, observationTypes);
}

} // namespace rivulet
