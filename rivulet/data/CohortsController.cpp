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

lum::Expected<int> CohortsController::cohortId(int cohortNumber)
{
    ensureFresh();
    const int position = m_cohortNumbers.indexOf(cohortNumber);
    if (position != -1)
        return m_cohortIds.at(position);
    if (!db())
        return lum::databaseNotOpen();
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

// The failure to store the active cohort, placed in its table.
lum::Error notStored(lum::Error error)
{
    error.where = QStringLiteral("cohorts");
    return error;
}

} // namespace

lum::Expected<void> CohortsController::setActiveCohort(int cohortId)
{
    if (!db())
        return notStored(lum::databaseNotOpen());
    m_stale = true;
    lum::DbTransaction transaction(*db());
    if (!transaction.begun())
        return notStored(transaction.begun().error());
    const QString update = QStringLiteral("update ") + model()->tableName() +
                           QStringLiteral(" set ") +
                           model()->quotedColumnName(CohortDbModel::Active);
    lum::Expected<void> stored = db()->exec(update + QStringLiteral(" = 0"));
    if (stored)
        stored =
            db()->exec(update + QStringLiteral(" = 1 where ") +
                           model()->quotedColumnName(CohortDbModel::Id) + QStringLiteral(" = ?"),
                       {cohortId});
    if (stored)
        stored = transaction.commit();
    if (!stored)
        return notStored(stored.error());
    return {};
}

lum::Expected<void> CohortsController::clearActiveCohort()
{
    if (!db())
        return notStored(lum::databaseNotOpen());
    m_stale = true;
    lum::DbTransaction transaction(*db());
    if (!transaction.begun())
        return notStored(transaction.begun().error());
    lum::Expected<void> stored =
        db()->exec(QStringLiteral("update ") + model()->tableName() + QStringLiteral(" set ") +
                   model()->quotedColumnName(CohortDbModel::Active) + QStringLiteral(" = 0"));
    if (stored)
        stored = transaction.commit();
    if (!stored)
        return notStored(stored.error());
    return {};
}

} // namespace rivulet
