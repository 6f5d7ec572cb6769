#include "rivulet/data/CohortsController.h"

#include "lum/db/DbTransaction.h"
#include "lum/db/TableData.h"
#include "rivulet/data/CohortDbModel.h"
#include "rivulet/data/TableRows.h"

#include <QSqlError>

namespace rivulet {

void CohortsController::refresh() const
{
    m_cohortIds.clear();
    m_cohortNumbers.clear();
    m_activeFlags.clear();
    m_stale = false;
    if (!db())
        return;
    const lum::TableData rows(
        *db(), QStringLiteral("select ") + model()->quotedColumnName(CohortDbModel::Id) +
                   QStringLiteral(", ") + model()->quotedColumnName(CohortDbModel::Cohort) +
                   QStringLiteral(", ") + model()->quotedColumnName(CohortDbModel::Active) +
                   QStringLiteral(" from ") + model()->tableName() + QStringLiteral(" order by ") +
                   model()->quotedColumnName(CohortDbModel::Cohort));
    for (int r = 0; r < rows.numRows(); ++r) {
        m_cohortIds.append(rows.intValue(r, 0));
        m_cohortNumbers.append(rows.intValue(r, 1));
        m_activeFlags.append(rows.intValue(r, 2));
    }
}

void CohortsController::ensureFresh() const
{
    if (m_stale)
        refresh();
}

QList<int> CohortsController::cohortIds() const
{
    ensureFresh();
    return m_cohortIds;
}

QList<int> CohortsController::cohortNumbers() const
{
    ensureFresh();
    return m_cohortNumbers;
}

QList<int> CohortsController::activeFlags() const
{
    ensureFresh();
    return m_activeFlags;
}

int CohortsController::cohortId(int cohortNumber)
{
    ensureFresh();
    const int position = m_cohortNumbers.indexOf(cohortNumber);
    if (position != -1)
        return m_cohortIds.at(position);
    if (!db())
        return -1;
    m_stale = true;
    return TableRows::insert(*db(), *model(), {cohortNumber, 0});
}

int CohortsController::activeCohortId() const
{
    ensureFresh();
    const int position = m_activeFlags.indexOf(1);
    return position == -1 ? -1 : m_cohortIds.at(position);
}

namespace {

lum::Error notStored(const lum::SqliteDb* db)
{
    return lum::Error(lum::JobError::Database,
                      db ? db->lastError().text() : QStringLiteral("The database is not open."),
                      QString(), QStringLiteral("cohorts"));
}

} // namespace

lum::Expected<void> CohortsController::setActiveCohort(int cohortId)
{
    if (!db())
        return notStored(nullptr);
    m_stale = true;
    lum::DbTransaction transaction(*db());
    if (transaction.error() != 0)
        return notStored(db());
    const QString update = QStringLiteral("update ") + model()->tableName() +
                           QStringLiteral(" set ") +
                           model()->quotedColumnName(CohortDbModel::Active);
    int error = db()->exec(update + QStringLiteral(" = 0"));
    if (error == 0)
        error =
            db()->exec(update + QStringLiteral(" = 1 where ") +
                           model()->quotedColumnName(CohortDbModel::Id) + QStringLiteral(" = ?"),
                       {cohortId});
    if (error != 0 || transaction.commit() != 0)
        return notStored(db());
    return {};
}

lum::Expected<void> CohortsController::clearActiveCohort()
{
    if (!db())
        return notStored(nullptr);
    m_stale = true;
    lum::DbTransaction transaction(*db());
    if (transaction.error() != 0)
        return notStored(db());
    const int error =
        db()->exec(QStringLiteral("update ") + model()->tableName() + QStringLiteral(" set ") +
                   model()->quotedColumnName(CohortDbModel::Active) + QStringLiteral(" = 0"));
    if (error != 0 || transaction.commit() != 0)
        return notStored(db());
    return {};
}

} // namespace rivulet
