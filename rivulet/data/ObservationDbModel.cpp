#include "rivulet/data/ObservationDbModel.h"

namespace rivulet {

namespace {
const char* const names[] = {"id",       "tag_id",     "site_id", "migration_year_id",
                             "obs_time", "disposition"};
const char* const types[] = {
    "INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER", "INTEGER", "TEXT", "INTEGER"};
} // namespace

ObservationDbModel::ObservationDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("observations"), NumColumns, parent)
{
    setColumns(NumColumns, names, types);
}

// The key has the primary key's own index. The detections of a tag are looked up by its code;
// sites, years and dispositions are read with the detections, never searched for, so an index
// on them would only slow a load down.
QList<int> ObservationDbModel::indexColumns() const
{
    return {TagId};
}

} // namespace rivulet
