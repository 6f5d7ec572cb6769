#pragma once

namespace lum {

class SqliteDb;

// A transaction on the calling thread's connection that is rolled back unless committed, so an
// early return or an exception cannot leave the write lock held:
//
//     DbTransaction transaction(*db);
//     if (transaction.error() != 0) return transaction.error();
//     ... writes ...
//     return transaction.commit();
class DbTransaction
{
public:
    explicit DbTransaction(SqliteDb& db);
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;

    // The result of beginning the transaction.
    int error() const { return m_beginError; }
    bool isActive() const { return m_active; }
    int commit();
    int rollback();

private:
    SqliteDb& m_db;
    int m_beginError = 0;
    bool m_active = false;
};

} // namespace lum
