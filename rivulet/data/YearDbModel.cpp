#include "rivulet/data/YearDbModel.h"

namespace rivulet {

namespace {
const char* const names[] = {"id", "year", "begin_date", "end_date", "sequence", "active_sequence"};
const char* const types[] = {
    "INTEGER PRIMARY KEY AUTOINCREMENT", "INTEGER", "TEXT", "TEXT", "INTEGER", "INTEGER"};
} // namespace

YearDbModel::YearDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("years"), NumColumns, parent)
{
    setColumns(NumColumns, names, types);
}

} // namespace rivulet
