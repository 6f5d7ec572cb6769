#include "rivulet/data/ReleasesController.h"

#include "lum/db/TableData.h"
#include "rivulet/data/ReleaseDbModel.h"
#include "rivulet/data/SequenceWriter.h"
#include "rivulet/data/SiteDbModel.h"
#include "rivulet/data/TableRows.h"
#include "rivulet/data/YearDbModel.h"

namespace rivulet {

namespace {

QString label(const lum::TableData& rows, int r)
{
    return rows.stringValue(r, 1) + QLatin1Char(' ') + QString::number(rows.intValue(r, 2));
}

} // namespace

QString ReleasesController::joinedSelect(const QString& rest) const
{
    const lum::DbModel* sites = m_rdb.model(RivuletDb::Sites);
    const lum::DbModel* years = m_rdb.model(RivuletDb::Years);
    return QStringLiteral("select ") + model()->qualifiedColumnName(ReleaseDbModel::Id) +
           QStringLiteral(", ") + sites->qualifiedColumnName(SiteDbModel::ShortName) +
           QStringLiteral(", ") + years->qualifiedColumnName(YearDbModel::Year) +
           QStringLiteral(" from ") + model()->tableName() + QStringLiteral(" join ") +
           sites->tableName() + QStringLiteral(" on ") +
           model()->qualifiedColumnName(ReleaseDbModel::ReleaseSiteId) + QStringLiteral(" = ") +
           sites->qualifiedColumnName(SiteDbModel::Id) + QStringLiteral(" join ") +
           years->tableName() + QStringLiteral(" on ") +
           model()->qualifiedColumnName(ReleaseDbModel::ReleaseYearId) + QStringLiteral(" = ") +
           years->qualifiedColumnName(YearDbModel::Id) + rest;
}

void ReleasesController::refresh()
{
    m_ids.clear();
    m_positions.clear();
    m_labels.clear();
    m_siteNames.clear();
    m_years.clear();
    m_allIds.clear();
    m_allLabels.clear();
    if (!db())
        return;
    const lum::TableData active(
        *db(), joinedSelect(QStringLiteral(" where ") +
                            model()->qualifiedColumnName(ReleaseDbModel::ActiveSequence) +
                            QStringLiteral(" != -1 order by ") +
                            model()->qualifiedColumnName(ReleaseDbModel::ActiveSequence)));
    for (int r = 0; r < active.numRows(); ++r) {
        m_positions.insert(active.intValue(r, 0), m_ids.size());
        m_ids.append(active.intValue(r, 0));
        m_labels.append(label(active, r));
        m_siteNames.append(active.stringValue(r, 1));
        m_years.append(active.intValue(r, 2));
    }
    const lum::TableData all(*db(),
                             joinedSelect(QStringLiteral(" order by ") +
                                          model()->qualifiedColumnName(ReleaseDbModel::Sequence)));
    for (int r = 0; r < all.numRows(); ++r) {
        m_allIds.append(all.intValue(r, 0));
        m_allLabels.append(label(all, r));
    }
}

int ReleasesController::columnOf(int releaseId, int column) const
{
    if (!db())
        return -1;
    return TableRows::firstId(
        *db(),
        QStringLiteral("select ") + model()->quotedColumnName(column) + QStringLiteral(" from ") +
            model()->tableName() + QStringLiteral(" where ") +
            model()->quotedColumnName(ReleaseDbModel::Id) + QStringLiteral(" = ?"),
        {releaseId});
}

int ReleasesController::releaseSiteId(int releaseId) const
{
    return columnOf(releaseId, ReleaseDbModel::ReleaseSiteId);
}

int ReleasesController::releaseYearId(int releaseId) const
{
    return columnOf(releaseId, ReleaseDbModel::ReleaseYearId);
}

lum::Expected<int> ReleasesController::releaseId(int siteId, int yearId)
{
    if (!db())
        return lum::databaseNotOpen();
    const int id = TableRows::firstId(
        *db(),
        QStringLiteral("select ") + model()->quotedColumnName(ReleaseDbModel::Id) +
            QStringLiteral(" from ") + model()->tableName() + QStringLiteral(" where ") +
            model()->quotedColumnName(ReleaseDbModel::ReleaseSiteId) + QStringLiteral(" = ? and ") +
            model()->quotedColumnName(ReleaseDbModel::ReleaseYearId) + QStringLiteral(" = ?"),
        {siteId, yearId});
    if (id != -1)
        return id;
    return TableRows::insert(*db(), *model(), {siteId, yearId, -1, -1});
}

lum::Expected<void> ReleasesController::orderReleases()
{
    if (!db())
        return lum::databaseNotOpen();
    const lum::DbModel* sites = m_rdb.model(RivuletDb::Sites);
    const lum::DbModel* years = m_rdb.model(RivuletDb::Years);
    const lum::TableData rows(
        *db(),
        joinedSelect(QStringLiteral(" order by ") +
                     sites->qualifiedColumnName(SiteDbModel::Sequence) + QStringLiteral(", ") +
                     years->qualifiedColumnName(YearDbModel::Sequence) + QStringLiteral(", ") +
                     model()->qualifiedColumnName(ReleaseDbModel::Id)));
    if (lum::Expected<void> read = rows.result(); !read)
        return read;
    QList<int> order;
    for (int r = 0; r < rows.numRows(); ++r)
        order.append(rows.intValue(r, 0));
    return SequenceWriter(db(), model(), ReleaseDbModel::Sequence, ReleaseDbModel::ActiveSequence)
        .setOrder(order);
}

lum::Expected<void> ReleasesController::setActiveReleases(const QList<int>& releaseIds)
{
    return SequenceWriter(db(), model(), ReleaseDbModel::Sequence, ReleaseDbModel::ActiveSequence)
        .setActive(m_allIds, releaseIds);
}

} // namespace rivulet
