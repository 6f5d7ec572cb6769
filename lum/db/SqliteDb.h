#pragma once

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
// Every operation returns the Qt SQL error type of what it did (QSqlError::ErrorType as int:
// 0 no error, 1 connection, 2 statement, 3 transaction, 4 unknown); lastError() has the details
// of the calling thread's last failure. Nothing here talks to the user.
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

    // Opens the database file at `path`, creating the file and its folder when missing. Fails with
    // a connection error (1), and leaves any existing file untouched, when the path is empty, the
    // folder cannot be created, or the file exists but is not a SQLite database; lastError() then
    // names the file. A database that was open before is closed first. On success this becomes
    // the default database of SqlStatement and TableData.
    //
    // With an owner set (setOwner), a file of another program is refused as well, before
    // anything is written to it: one that carries another application id, a newer schema
    // version, or (carrying none) tables the owner does not know. A new or empty file is
    // stamped with the owner's id and version.
    int open(const QString& path);
    // The application id and schema version this program stamps its files with, and the tables
    // an unstamped file of an earlier version of it may hold.
    void setOwner(qint32 applicationId, int schemaVersion, const QStringList& tableNames);
    // Closes and removes the connections of every thread; later operations fail until open().
    int close();
    // Closes the database as open() does when it refuses a file, with `message` as the error.
    int refuse(const QString& message);
    bool isOpen() const;
    QString path() const;

    // The connection of the calling thread (made and opened on first use); an invalid handle
    // when the database is not open.
    QSqlDatabase db() const;
    // The calling thread's last error, or why open() failed.
    QSqlError lastError() const;
    // Makes the failure of a statement run on the calling thread's connection (through
    // SqlStatement) its last error, so that a caller reporting lastError() names it.
    void noteError(const QSqlError& error) const;
    // Number of live connections (one per thread that used the database and has not finished).
    int connectionCount() const;

    // Transaction on the calling thread's connection. A rollback follows a failure, so it keeps
    // that failure as lastError() (SQLite may have rolled back already after a failed commit,
    // and the rollback's own "no transaction is active" would hide the cause).
    int beginTransaction();
    int commit();
    int rollback();
    // True while the calling thread's connection is inside a transaction.
    bool inTransaction() const;
    // Changes whenever another connection (of this or another process) commits; compare two
    // readings on one thread to learn whether the file changed in between. -1 on failure.
    qint64 dataVersion() const;

    // Runs one statement and discards any result rows; `values` bind to its `?` in order.
    int exec(const QString& sql, const QVariantList& values = {});

    // Names of the tables (kind 0), views (kind 1) or both (other kinds); SQLite's own
    // bookkeeping tables (sqlite_*) are left out.
    QStringList tables(int kind = 0) const;
    bool tableExists(const DbModel& model) const;
    int createTable(const DbModel& model);
    int createIndex(const DbModel& model, int column);
    int dropTable(const DbModel& model);

    // Makes `data` run `sql` (with `values` bound to its `?` in order) on this database.
    void runQuery(TableData& data, const QString& sql, const QVariantList& values = {}) const;

    // Prepares the model's insert statement (key column left out) on `statement`, which is
    // rebound to this database's connection of the calling thread.
    virtual int prepareInsert(const DbModel& model, SqlStatement& statement) const;
    // True when the model's table holds a row whose `column` equals `value` (bound, so quotes
    // or column names inside the value are matched literally).
    virtual bool findFirst(const DbModel& model, int column, const QVariant& value) const;

    // The database that SqlStatement and TableData use when none is given: the most recently
    // opened one that is still open; null when there is none.
    static SqliteDb* defaultDatabase();
    // True when `path` is an existing SQLite database file (an empty file counts as an empty
    // database). Reads at most the file's header; never creates or changes a file.
    static bool looksLikeDatabase(const QString& path);

private:
    int fail(QSqlError::ErrorType type, const QString& message);
    // Empty when the open file may be written by the owner; else why not.
    QString ownershipProblem(const QString& path) const;
    int stampOwner();
    int record(const QSqlError& error) const;
    void makeDefault();
    void dropDefault();

    std::shared_ptr<ConnectionRegistry> m_registry;
    QSqlError m_openError;
    qint32 m_applicationId = 0;
    int m_schemaVersion = 0;
    QStringList m_ownTables;
};

} // namespace lum
