#include "rivulet/data/SiteDbModel.h"

namespace rivulet {

namespace {
const char* const siteColumns[] = {"id",   "short_name", "long_name",
                                   "code", "sequence",   "active_sequence"};
const char* const siteTypes[] = {
    "INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "TEXT", "TEXT", "INTEGER", "INTEGER"};
} // namespace

SiteDbModel::SiteDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("sites"), NumColumns, parent)
{
    setColumns(NumColumns, siteColumns, siteTypes);
}

} // namespace rivulet
