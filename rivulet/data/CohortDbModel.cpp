#include "rivulet/data/CohortDbModel.h"

namespace rivulet {

namespace {
const char* const names[] = {"id", "cohort", "active"};
const char* const types[] = {"INTEGER PRIMARY KEY AUTOINCREMENT", "INTEGER", "INTEGER"};
} // namespace

CohortDbModel::CohortDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("cohorts"), NumColumns, parent)
{
    setColumns(NumColumns, names, types);
}

} // namespace rivulet
