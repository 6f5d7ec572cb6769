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
    m_begun =
        m_nested ? m_db.exec(QStringLiteral("SAVEPOINT ") + savepoint) : m_db.beginTransaction();
    m_active = m_begun.ok();
}

DbTransaction::~DbTransaction()
{
    // Nobody is left to tell of a failed rollback; SQLite ends the transaction with the
    // connection anyway.
    (void)rollback();
}

Expected<void> DbTransaction::commit()
{
    if (!m_active) {
        if (!m_begun)
            return m_begun;
        return Error(JobError::Database, QStringLiteral("No transaction is active."));
    }
    m_active = false;
    if (m_nested)
        return m_db.exec(QStringLiteral("RELEASE ") + savepoint);
    Expected<void> committed = m_db.commit();
    // SQLite may have rolled back already; the commit's failure is the one to report.
    if (!committed)
        (void)m_db.rollback();
    return committed;
}

Expected<void> DbTransaction::rollback()
{
    if (!m_active)
        return {};
    m_active = false;
    if (m_nested) {
        Expected<void> rolledBack = m_db.exec(QStringLiteral("ROLLBACK TO ") + savepoint);
        // Released even after a failed rollback, so the savepoint does not outlive this object.
        (void)m_db.exec(QStringLiteral("RELEASE ") + savepoint);
        return rolledBack;
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
