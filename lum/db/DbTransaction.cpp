#include "lum/db/DbTransaction.h"

#include "lum/db/SqliteDb.h"

#include <QSqlError>
#include <QSqlQuery>

namespace lum {

namespace {

const QString savepoint = QStringLiteral("lum_nested");

} // namespace

DbTransaction::DbTransaction(SqliteDb& db) : m_db(db)
{
    m_nested = m_db.inTransaction();
    m_beginError =
        m_nested ? m_db.exec(QStringLiteral("SAVEPOINT ") + savepoint) : m_db.beginTransaction();
    m_active = m_beginError == 0;
}

DbTransaction::~DbTransaction()
{
    rollback();
}

int DbTransaction::commit()
{
    if (!m_active)
        return m_beginError != 0 ? m_beginError : int(QSqlError::TransactionError);
    m_active = false;
    if (m_nested)
        return m_db.exec(QStringLiteral("RELEASE ") + savepoint);
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
    if (m_nested) {
        // Keeps the failure that led here as the last error, as rollback() does.
        const QSqlError cause = m_db.lastError();
        const int error = m_db.exec(QStringLiteral("ROLLBACK TO ") + savepoint);
        m_db.exec(QStringLiteral("RELEASE ") + savepoint);
        m_db.noteError(cause);
        return error;
    }
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
