#include "rivulet/data/CohortDbModel.h"

namespace rivulet {

namespace {
const char* const cohortColumns[] = {"id", "cohort", "active"};
const char* const cohortTypes[] = {"INTEGER PRIMARY KEY AUTOINCREMENT", "INTEGER", "INTEGER"};
} // namespace

CohortDbModel::CohortDbModel(QObject* parent)
    : lum::DbModel(QStringLiteral("cohorts"), NumColumns, parent)
{
    setColumns(NumColumns, cohortColumns, cohortTypes);
}

} // namespace rivulet
