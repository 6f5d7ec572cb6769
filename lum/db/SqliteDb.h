#pragma once

#include "lum/core/Expected.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>

namespace lum {

class ConnectionRegistry;
class DbModel;
class SqlStatement;
class TableData;

// A failed statement as an Error (JobError::Database): the database's text, then the driver's,
// so that text() reads as QSqlError::text() does.
Error sqlError(const QSqlError& error);
// The failure of an operation on a database that is not open.
Error databaseNotOpen();

// The program's SQLite database file, reachable from every thread.
//
// Qt ties a connection to the thread that opened it, so each thread that touches the database
// gets its own connection to the same file: made on the thread's first use, named after the
// thread, and removed when the thread finishes. The handle for the calling thread is db():
//
//     QSqlDatabase connection = RivuletDb::instance().database()->db();
//
// Use the handle only on the thread that asked for it and do not keep it beyond the current
// function (a kept handle stops the connection from being removed cleanly).
//
// The file is kept in write-ahead-log mode and every connection waits up to busyTimeoutMs for a
// lock, so a reader on the GUI thread keeps working while a background job writes. Writers take
// turns: beginTransaction() takes the write lock at once (BEGIN IMMEDIATE), so another writer
// waits for the transaction to end instead of failing half-way through it. A transaction belongs
// to the connection of the thread that began it; commit or roll it back on that same thread.
//
// Every operation that can fail returns an Expected whose Error (code JobError::Database) carries
// what went wrong in the database's words, so the failure travels with the call that caused it
// rather than with the thread. Nothing here talks to the user.
//
// Data values always travel as bound parameters (the `values` arguments, SqlStatement binds);
// only table and column names of the schema are ever pasted into SQL text.
class SqliteDb
{
public:
    // How long a connection waits for another connection's lock before giving up.
    static constexpr int busyTimeoutMs = 5000;

    SqliteDb();
    virtual ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens the database file at `path`, creating the file and its folder when missing. Fails,
    // naming the file, and leaves any existing file untouched, when the path is empty, the
    // folder cannot be created, or the file exists but is not a SQLite database. A database that
    // was open before is closed first. On success this becomes the default database of
    // SqlStatement and TableData.
    //
    // With an owner set (setOwner), a file of another program is refused as well, before
    // anything is written to it: one that carries another application id, a newer schema
    // version, or (carrying none) tables the owner does not know. A new or empty file is
    // stamped with the owner's id and version.
    Expected<void> open(const QString& path);
    // The application id and schema version this program stamps its files with, and the tables
    // an unstamped file of an earlier version of it may hold.
    void setOwner(qint32 applicationId, int schemaVersion, const QStringList& tableNames);
    // Closes and removes the connections of every thread; later operations fail until open().
    void close();
    // Closes the database as open() does when it refuses a file; the refusal, with `message`,
    // to pass on.
    Error refuse(const QString& message);
    bool isOpen() const;
    QString path() const;

    // The connection of the calling thread (made and opened on first use); an invalid handle
    // when the database is not open.
    QSqlDatabase db() const;
    // Number of live connections (one per thread that used the database and has not finished).
    int connectionCount() const;

    // Transaction on the calling thread's connection.
    Expected<void> beginTransaction();
    Expected<void> commit();
    Expected<void> rollback();
    // True while the calling thread's connection is inside a transaction.
    bool inTransaction() const;
    // Changes whenever another connection (of this or another process) commits; compare two
    // readings on one thread to learn whether the file changed in between. -1 on failure.
    qint64 dataVersion() const;

    // Runs one statement and discards any result rows; `values` bind to its `?` in order.
    Expected<void> exec(const QString& sql, const QVariantList& values = {});

    // Names of the tables (kind 0), views (kind 1) or both (other kinds); SQLite's own
    // bookkeeping tables (sqlite_*) are left out.
    QStringList tables(int kind = 0) const;
    bool tableExists(const DbModel& model) const;
    Expected<void> createTable(const DbModel& model);
    Expected<void> createIndex(const DbModel& model, int column);
    Expected<void> dropTable(const DbModel& model);

    // Makes `data` run `sql` (with `values` bound to its `?` in order) on this database.
    void runQuery(TableData& data, const QString& sql, const QVariantList& values = {}) const;

    // Prepares the model's insert statement (key column left out) on `statement`, which is
    // rebound to this database's connection of the calling thread.
    virtual Expected<void> prepareInsert(const DbModel& model, SqlStatement& statement) const;
    // Whether the model's table holds a row whose `column` equals `value` (bound, so quotes or
    // column names inside the value are matched literally).
    virtual Expected<bool> findFirst(const DbModel& model, int column, const QVariant& value) const;

    // A failure of a statement run on this database as an Error: SQLite's words (with what
    // they leave out, such as whose lock it is) followed by the driver's, as QSqlError::text()
    // joins them.
    Error failure(const QSqlError& error) const;

    // The database that SqlStatement and TableData use when none is given: the most recently
    // opened one that is still open; null when there is none.
    static SqliteDb* defaultDatabase();
    // True when `path` is an existing SQLite database file (an empty file counts as an empty
    // database). Reads at most the file's header; never creates or changes a file.
    static bool looksLikeDatabase(const QString& path);

private:
    // Empty when the open file may be written by the owner; else why not.
    QString ownershipProblem(const QString& path) const;
    Expected<void> stampOwner();
    void makeDefault();
    void dropDefault();

    std::shared_ptr<ConnectionRegistry> m_registry;
    qint32 m_applicationId = 0;
    int m_schemaVersion = 0;
    QStringList m_ownTables;
};

} // namespace lum
