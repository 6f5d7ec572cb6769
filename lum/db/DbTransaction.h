#pragma once

#include "lum/core/Expected.h"

namespace lum {

class SqliteDb;

// A transaction on the calling thread's connection that is rolled back unless committed, so an
// early return or an exception cannot leave the write lock held:
//
//     DbTransaction transaction(*db);
//     if (!transaction.begun()) return transaction.begun().error();
//     ... writes ...
//     return transaction.commit();
//
// Inside a transaction already open on the connection it is a savepoint, so a caller can hold
// the write lock across several writers that each make their own transaction.
class DbTransaction
{
public:
    explicit DbTransaction(SqliteDb& db);
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;

    // The result of beginning the transaction.
    const Expected<void>& begun() const { return m_begun; }
    bool isActive() const { return m_active; }
    Expected<void> commit();
    Expected<void> rollback();

private:
    SqliteDb& m_db;
    Expected<void> m_begun;
    bool m_active = false;
    bool m_nested = false;
};

// A read transaction (deferred BEGIN ... COMMIT) on the calling thread's connection: every read
// made while it lives sees one state of the database, however many statements it takes, even
// when another process commits meanwhile. Inside a transaction that is already open on the
// connection it does nothing, and that transaction keeps its reads together. A null or closed
// database is allowed (the reads then come from elsewhere).
class DbReadTransaction
{
public:
    explicit DbReadTransaction(const SqliteDb* db);
    ~DbReadTransaction();
    DbReadTransaction(const DbReadTransaction&) = delete;
    DbReadTransaction& operator=(const DbReadTransaction&) = delete;

    // True when this object began the transaction (and so ends it).
    bool began() const { return m_began; }

private:
    const SqliteDb* m_db = nullptr;
    bool m_began = false;
};

} // namespace lum
