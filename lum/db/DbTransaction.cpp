#include "lum/db/DbTransaction.h"

#include "lum/db/SqliteDb.h"

#include <QSqlError>
#include <QSqlQuery>

namespace lum {

DbTransaction::DbTransaction(SqliteDb& db) : m_db(db)
{
    m_beginError = m_db.beginTransaction();
    m_active = m_beginError == 0;
}

DbTransaction::~DbTransaction()
{
    if (m_active)
        m_db.rollback();
}

int DbTransaction::commit()
{
    if (!m_active)
        return m_beginError != 0 ? m_beginError : int(QSqlError::TransactionError);
    m_active = false;
    const int error = m_db.commit();
    if (error != 0)
        m_db.rollback();
    return error;
}

int DbTransaction::rollback()
{
    if (!m_active)
        return 0;
    m_active = false;
    return m_db.rollback();
}

DbReadTransaction::DbReadTransaction(const SqliteDb* db) : m_db(db)
{
    if (!m_db || !m_db->isOpen())
        return;
    // Fails, and is then not ours to end, when a transaction is already open.
    QSqlQuery begin(m_db->db());
    m_began = begin.exec(QStringLiteral("BEGIN DEFERRED"));
}

DbReadTransaction::~DbReadTransaction()
{
    if (!m_began || !m_db->isOpen())
        return;
    QSqlQuery end(m_db->db());
    end.exec(QStringLiteral("COMMIT"));
}

} // namespace lum
