#include "rivulet/data/SiteDbModel.h"

namespace rivulet {

namespace {
const char* const names[] = {"id",   "short_name", "long_name",
                             "code", "sequence",   "active_sequence"};
const char* const types[] = {
    "INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "TEXT", "TEXT", "INTEGER", "INTEGER"};
} // namespace

SiteDbModel::SiteDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("sites"), NumColumns, parent)
{
    setColumns(NumColumns, names, types);
}

} // namespace rivulet
