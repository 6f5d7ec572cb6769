#pragma once

#include "lum/core/Expected.h"

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace lum {

class SqliteDb;

// A statement prepared directly on SQLite's handle of the calling thread's connection, for the
// loops that run a statement a million times: values bind as UTF-8 bytes and integers without
// going through QVariant, and a step builds no error object. It shares the connection (and so
// any transaction open on it) with SqlStatement and SqliteDb::exec(). Use it on the thread that
// prepared it, and let it go before the database is closed.
//
//     NativeStatement insert;
//     if (auto prepared = insert.prepare(*db, "insert into t (a, b) values (?, ?)"); !prepared)
//         return prepared.error();
//     insert.bindText(1, bytes, size);
//     insert.bindInt(2, 7);
//     if (insert.step() != NativeStatement::Done) ...
//
// A statement that returns rows is read with next() and the column accessors; it is reset
// when its rows are exhausted, when it fails, and by reset().
class NativeStatement
{
public:
    enum Result
    {
        Row = 100,
        Done = 101
    };

    NativeStatement() = default;
    ~NativeStatement();
    NativeStatement(const NativeStatement&) = delete;
    NativeStatement& operator=(const NativeStatement&) = delete;

    // Fails when the database is not open (or its driver is not SQLite's), or when the text does
    // not compile (SQLite's words).
    Expected<void> prepare(const SqliteDb& db, const QString& sql);
    bool isPrepared() const { return m_statement != nullptr; }

    // Positions count from 1 (the first `?`). Text is copied, so it need not outlive the call.
    void bindInt(int position, qint64 value);
    void bindDouble(int position, double value);
    void bindText(int position, const char* utf8, int size);
    void bindText(int position, const QByteArray& utf8)
    {
        bindText(position, utf8.constData(), utf8.size());
    }
    void bindText(int position, const QString& text) { bindText(position, text.toUtf8()); }

    // Runs the statement to its end with the current bindings and resets it for the next run
    // (bindings stay): Done, or SQLite's error code (errorText() says why).
    int step();
    // Moves to the next row of the result; false after the last row or on an error (then
    // failed() is true).
    bool next();
    bool failed() const { return m_failed; }
    void reset();

    bool isNull(int column) const;
    int columnInt(int column) const;
    double columnDouble(int column) const;
    // The column's text as UTF-8; valid until the next step, next() or reset().
    const char* columnText(int column, int* size) const;

    // SQLite's description of the last failure of a step or next() on this statement.
    QString errorText() const { return m_error; }

private:
    void noteFailure();

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    bool m_failed = false;
    QString m_error;
};

} // namespace lum
