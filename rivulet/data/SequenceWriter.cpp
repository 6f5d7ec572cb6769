#include "rivulet/data/SequenceWriter.h"

#include "lum/db/DbModel.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/StatementBinder.h"

#include <QSqlError>

namespace rivulet {

int SequenceWriter::setOrder(const QList<int>& idsInOrder) const
{
    if (!m_db)
        return QSqlError::ConnectionError;
    lum::SqlStatement update(*m_db);
    int error =
        update.prepare(QStringLiteral("update ") + m_model->tableName() + QStringLiteral(" set ") +
                       m_model->quotedColumnName(m_sequenceColumn) + QStringLiteral(" = ?, ") +
                       m_model->quotedColumnName(m_activeColumn) + QStringLiteral(" = ? where ") +
                       m_model->quotedColumnName(0) + QStringLiteral(" = ?"));
    for (int p = 0; error == 0 && p < idsInOrder.size(); ++p) {
        lum::StatementBinder binder(update);
        binder.bind(1, p);
        binder.bind(2, p);
        binder.bind(3, idsInOrder.at(p));
        if (update.step() != lum::SqlStatement::Done)
            error = update.lastError().type();
    }
    return error;
}

int SequenceWriter::setActive(const QList<int>& allIds, const QList<int>& activeIds) const
{
    QList<int> positions;
    positions.reserve(allIds.size());
    for (const int id : allIds)
        positions.append(activeIds.indexOf(id));
    return writeActive(allIds, positions);
}

int SequenceWriter::resetActive() const
{
    if (!m_db)
        return QSqlError::ConnectionError;
    lum::DbTransaction transaction(*m_db);
    if (transaction.error() != 0)
        return transaction.error();
    const int error =
        m_db->exec(QStringLiteral("update ") + m_model->tableName() + QStringLiteral(" set ") +
                   m_model->quotedColumnName(m_activeColumn) + QStringLiteral(" = ") +
                   m_model->quotedColumnName(m_sequenceColumn));
    return error != 0 ? error : transaction.commit();
}

int SequenceWriter::removeAt(const QList<int>& activeIds, int position) const
{
    if (position < 0 || position >= activeIds.size())
        return QSqlError::StatementError;
    QList<int> ids;
    QList<int> positions;
    for (int q = position; q < activeIds.size(); ++q) {
        ids.append(activeIds.at(q));
        positions.append(q == position ? -1 : q - 1);
    }
    return writeActive(ids, positions);
}

int SequenceWriter::writeActive(const QList<int>& ids, const QList<int>& positions) const
{
    if (!m_db)
        return QSqlError::ConnectionError;
    lum::DbTransaction transaction(*m_db);
    if (transaction.error() != 0)
        return transaction.error();
    int error = 0;
    {
        lum::SqlStatement update(*m_db);
        error = update.prepare(QStringLiteral("update ") + m_model->tableName() +
                               QStringLiteral(" set ") + m_model->quotedColumnName(m_activeColumn) +
                               QStringLiteral(" = ? where ") + m_model->quotedColumnName(0) +
                               QStringLiteral(" = ?"));
        for (int i = 0; error == 0 && i < ids.size(); ++i) {
            lum::StatementBinder binder(update);
            binder.bind(1, positions.at(i));
            binder.bind(2, ids.at(i));
            if (update.step() != lum::SqlStatement::Done)
                error = update.lastError().type();
        }
    }
    return error != 0 ? error : transaction.commit();
}

} // namespace rivulet
