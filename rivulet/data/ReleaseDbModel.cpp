#include "rivulet/data/ReleaseDbModel.h"

namespace rivulet {

namespace {
const char* const releaseColumns[] = {"id", "release_site_id", "release_year_id", "sequence",
                                      "active_sequence"};
const char* const releaseTypes[] = {"INTEGER PRIMARY KEY AUTOINCREMENT", "INTEGER", "INTEGER",
                                    "INTEGER", "INTEGER"};
} // namespace

ReleaseDbModel::ReleaseDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("releases"), NumColumns, parent)
{
    setColumns(NumColumns, releaseColumns, releaseTypes);
}

// The key has the primary key's own index; these serve the joins and filters of the queries.
QList<int> ReleaseDbModel::indexColumns() const
{
    return {ReleaseSiteId, ReleaseYearId};
}

} // namespace rivulet
