#include "rivulet/data/TagDbModel.h"

namespace rivulet {

namespace {
const char* const names[] = {"id", "release_id", "cohort_id", "release_time"};
const char* const types[] = {"TEXT PRIMARY KEY", "INTEGER", "INTEGER", "TEXT"};
} // namespace

TagDbModel::TagDbModel(QObject* parent) : lum::DbModel(QStringLiteral("tags"), NumColumns, parent)
{
    setColumns(NumColumns, names, types);
}

// The key has the primary key's own index; these serve the joins and filters of the queries.
QList<int> TagDbModel::indexColumns() const
{
    return {ReleaseId, CohortId};
}

} // namespace rivulet
