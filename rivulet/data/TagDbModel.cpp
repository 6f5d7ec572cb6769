#include "rivulet/data/TagDbModel.h"

namespace rivulet {

namespace {
const char* const tagColumns[] = {"id", "release_id", "cohort_id", "release_time"};
const char* const tagTypes[] = {"TEXT PRIMARY KEY", "INTEGER", "INTEGER", "TEXT"};
} // namespace

TagDbModel::TagDbModel(QObject* parent) : lum::DbModel(QStringLiteral("tags"), NumColumns, parent)
{
    setColumns(NumColumns, tagColumns, tagTypes);
}

// The key has the primary key's own index; the tags of one cohort are searched for, those of a
// release never are (they are read with all the others).
QList<int> TagDbModel::indexColumns() const
{
    return {CohortId};
}

} // namespace rivulet
