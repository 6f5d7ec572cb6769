#include "rivulet/data/SequenceWriter.h"

#include "lum/db/DbModel.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/StatementBinder.h"

namespace rivulet {

lum::Expected<void> SequenceWriter::setOrder(const QList<int>& idsInOrder) const
{
    if (!m_db)
        return lum::databaseNotOpen();
    lum::SqlStatement update(*m_db);
    lum::Expected<void> prepared =
        update.prepare(QStringLiteral("update ") + m_model->tableName() + QStringLiteral(" set ") +
                       m_model->quotedColumnName(m_sequenceColumn) + QStringLiteral(" = ?, ") +
                       m_model->quotedColumnName(m_activeColumn) + QStringLiteral(" = ? where ") +
                       m_model->quotedColumnName(0) + QStringLiteral(" = ?"));
    if (!prepared)
        return prepared;
    for (int p = 0; p < idsInOrder.size(); ++p) {
        lum::StatementBinder binder(update);
        binder.bind(1, p);
        binder.bind(2, p);
        binder.bind(3, idsInOrder.at(p));
        if (lum::Expected<void> stepped = update.step(); !stepped)
            return stepped;
    }
    return {};
}

lum::Expected<void> SequenceWriter::setActive(const QList<int>& allIds,
                                              const QList<int>& activeIds) const
{
    QList<int> positions;
    positions.reserve(allIds.size());
    for (const int id : allIds)
        positions.append(activeIds.indexOf(id));
    return writeActive(allIds, positions);
}

lum::Expected<void> SequenceWriter::resetActive() const
{
    if (!m_db)
        return lum::databaseNotOpen();
    lum::DbTransaction transaction(*m_db);
    if (!transaction.begun())
        return transaction.begun();
    lum::Expected<void> reset =
        m_db->exec(QStringLiteral("update ") + m_model->tableName() + QStringLiteral(" set ") +
                   m_model->quotedColumnName(m_activeColumn) + QStringLiteral(" = ") +
                   m_model->quotedColumnName(m_sequenceColumn));
    if (!reset)
        return reset;
    return transaction.commit();
}

lum::Expected<void> SequenceWriter::removeAt(const QList<int>& activeIds, int position) const
{
    if (position < 0 || position >= activeIds.size())
        return lum::Error(lum::JobError::Database,
                          QStringLiteral("There is no active item at position %1.").arg(position));
    QList<int> ids;
    QList<int> positions;
    for (int q = position; q < activeIds.size(); ++q) {
        ids.append(activeIds.at(q));
        positions.append(q == position ? -1 : q - 1);
    }
    return writeActive(ids, positions);
}

lum::Expected<void> SequenceWriter::writeActive(const QList<int>& ids,
                                                const QList<int>& positions) const
{
    if (!m_db)
        return lum::databaseNotOpen();
    lum::DbTransaction transaction(*m_db);
    if (!transaction.begun())
        return transaction.begun();
    {
        lum::SqlStatement update(*m_db);
        lum::Expected<void> prepared = update.prepare(
            QStringLiteral("update ") + m_model->tableName() + QStringLiteral(" set ") +
            m_model->quotedColumnName(m_activeColumn) + QStringLiteral(" = ? where ") +
            m_model->quotedColumnName(0) + QStringLiteral(" = ?"));
        if (!prepared)
            return prepared;
        for (int i = 0; i < ids.size(); ++i) {
            lum::StatementBinder binder(update);
            binder.bind(1, positions.at(i));
            binder.bind(2, ids.at(i));
            if (lum::Expected<void> stepped = update.step(); !stepped)
                return stepped;
        }
    }
    return transaction.commit();
}

} // namespace rivulet
