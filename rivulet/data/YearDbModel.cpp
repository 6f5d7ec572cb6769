#include "rivulet/data/YearDbModel.h"

namespace rivulet {

namespace {
const char* const yearColumns[] = {"id",       "year",     "begin_date",
                                   "end_date", "sequence", "active_sequence"};
const char* const yearTypes[] = {
    "INTEGER PRIMARY KEY AUTOINCREMENT", "INTEGER", "TEXT", "TEXT", "INTEGER", "INTEGER"};
} // namespace

YearDbModel::YearDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("years"), NumColumns, parent)
{
    setColumns(NumColumns, yearColumns, yearTypes);
}

} // namespace rivulet
