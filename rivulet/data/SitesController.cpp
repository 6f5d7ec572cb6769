#include "rivulet/data/SitesController.h"

#include "lum/db/SqlStatement.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"
#include "rivulet/data/SequenceWriter.h"
#include "rivulet/data/SiteCatalogI.h"
#include "rivulet/data/SiteDbModel.h"
#include "rivulet/data/TableRows.h"

namespace rivulet {

QString SitesController::column(int i) const
{
    return model()->quotedColumnName(i);
}

void SitesController::refresh()
{
    m_ids.clear();
    m_positions.clear();
    m_shortNames.clear();
    m_longNames.clear();
    m_allIds.clear();
    if (!db())
        return;
    readActive();
    readAll();
}

void SitesController::readActive()
{
    const lum::TableData rows(
        *db(), QStringLiteral("select ") + column(SiteDbModel::ActiveSequence) +
                   QStringLiteral(", ") + column(SiteDbModel::Id) + QStringLiteral(", ") +
                   column(SiteDbModel::ShortName) + QStringLiteral(", ") +
                   column(SiteDbModel::LongName) + QStringLiteral(" from ") + model()->tableName() +
                   QStringLiteral(" where ") + column(SiteDbModel::ActiveSequence) +
                   QStringLiteral(" != -1 order by ") + column(SiteDbModel::Sequence));
    int lastPosition = -1;
    bool shared = false;
    for (int r = 0; r < rows.numRows(); ++r) {
        const int position = rows.intValue(r, 0);
        if (position > lastPosition) {
            lastPosition = position;
            shared = false;
        } else if (position == lastPosition) {
            shared = true;
        }
    }
    // Sites merged into the last position appear once, as the most upstream of them.
    for (int r = 0; r < rows.numRows(); ++r) {
        m_positions.insert(rows.intValue(r, 1), m_ids.size());
        m_ids.append(rows.intValue(r, 1));
        m_shortNames.append(rows.stringValue(r, 2));
        m_longNames.append(rows.stringValue(r, 3));
        if (rows.intValue(r, 0) == lastPosition)
            break;
    }
    if (shared && !m_shortNames.isEmpty())
        m_shortNames.last() += QLatin1String(downstreamSuffix);
}

void SitesController::readAll()
{
    const lum::TableData rows(*db(), QStringLiteral("select ") + column(SiteDbModel::Id) +
                                         QStringLiteral(" from ") + model()->tableName() +
                                         QStringLiteral(" order by ") +
                                         column(SiteDbModel::Sequence));
    for (int r = 0; r < rows.numRows(); ++r)
        m_allIds.append(rows.intValue(r, 0));
}

lum::Expected<int> SitesController::siteId(const QString& code, const QString& shortName,
                                           const QString& longName)
{
    if (!db())
        return lum::databaseNotOpen();
    const int id = TableRows::firstId(*db(),
                                      QStringLiteral("select ") + column(SiteDbModel::Id) +
                                          QStringLiteral(" from ") + model()->tableName() +
                                          QStringLiteral(" where ") +
                                          column(SiteDbModel::ShortName) + QStringLiteral(" = ?"),
                                      {shortName});
    if (id != -1)
        return id;
    return TableRows::insert(*db(), *model(), {shortName, longName, code, -1, -1});
}

lum::Expected<void> SitesController::orderSites()
{
    if (!db())
        return lum::databaseNotOpen();
    const lum::TableData rows(*db(), QStringLiteral("select ") + column(SiteDbModel::Code) +
                                         QStringLiteral(" from ") + model()->tableName());
    if (lum::Expected<void> read = rows.result(); !read)
        return read;
    QStringList codes;
    for (int r = 0; r < rows.numRows(); ++r)
        codes.append(rows.stringValue(r, 0));
    const QStringList order = m_catalog.downstreamOrder(codes);

    lum::SqlStatement update(*db());
    lum::Expected<void> prepared =
        update.prepare(QStringLiteral("update ") + model()->tableName() + QStringLiteral(" set ") +
                       column(SiteDbModel::Sequence) + QStringLiteral(" = ?, ") +
                       column(SiteDbModel::ActiveSequence) + QStringLiteral(" = ? where ") +
                       column(SiteDbModel::Code) + QStringLiteral(" = ?"));
    if (!prepared)
        return prepared;
    for (int p = 0; p < order.size(); ++p) {
        lum::StatementBinder binder(update);
        binder.bind(1, p);
        binder.bind(2, p);
        binder.bind(3, order.at(p));
        if (lum::Expected<void> stepped = update.step(); !stepped)
            return stepped;
    }
    return {};
}

lum::Expected<void> SitesController::resetActive()
{
    return SequenceWriter(db(), model(), SiteDbModel::Sequence, SiteDbModel::ActiveSequence)
        .resetActive();
}

lum::Expected<void> SitesController::setLastSite(int position)
{
    if (!db())
        return lum::databaseNotOpen();
    const lum::TableData first(*db(),
                               QStringLiteral("select min(") + column(SiteDbModel::Sequence) +
                                   QStringLiteral(") from ") + model()->tableName() +
                                   QStringLiteral(" where ") + column(SiteDbModel::ActiveSequence) +
                                   QStringLiteral(" = ?"),
                               {position});
    if (lum::Expected<void> read = first.result(); !read)
        return read;
    if (first.numRows() == 0 || first.isNull(0, 0))
        return lum::Error(lum::JobError::Database,
                          QStringLiteral("There is no active site at position %1.").arg(position));
    return db()->exec(QStringLiteral("update ") + model()->tableName() + QStringLiteral(" set ") +
                          column(SiteDbModel::ActiveSequence) + QStringLiteral(" = ? where ") +
                          column(SiteDbModel::Sequence) + QStringLiteral(" >= ?"),
                      {position, first.intValue(0, 0)});
}

lum::Expected<void> SitesController::removeSite(int siteId)
{
    return SequenceWriter(db(), model(), SiteDbModel::Sequence, SiteDbModel::ActiveSequence)
        .removeAt(m_ids, indexOf(siteId));
}

} // namespace rivulet
