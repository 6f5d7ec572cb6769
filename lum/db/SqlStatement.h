#pragma once

#include "lum/core/Expected.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <optional>
#include <string>

namespace lum {

class SqliteDb;

// One prepared statement on the calling thread's connection of a database (the default database
// when none is given). Create, prepare and run it on the same thread. Positions of bindInt and
// bindText count from 1 (the first `?`), the index of bindValue from 0.
//
// Prepare once and run many times:
//     SqlStatement insert(*db);
//     if (auto prepared = db->prepareInsert(*model, insert); !prepared) // or insert.prepare(...)
//         return prepared.error();
//     for (const Row& row : rows) {
//         StatementBinder binder(insert);
//         binder.bind(1, row.tag);
//         binder.bind(2, row.siteId);
//         if (auto stepped = insert.step(); !stepped)
//             return stepped.error();
//     }
//
// Every operation that can fail says why in its Expected, in the database's words as
// SqliteDb::failure() puts them. Without an open database every operation fails.
class SqlStatement
{
public:
    // The result of a step that ran without error.
    static constexpr int Done = 101;

    SqlStatement();
    explicit SqlStatement(const SqliteDb& db);
    // Finishes the statement first.
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // Binds the statement to the calling thread's connection of `db`; forgets any prepared text.
    void setDatabase(const SqliteDb& db);

    Expected<void> prepare(const QString& sql);
    // A bind that cannot be made (no database, a position before the first) makes the next
    // step() fail with the reason, so a run of binds needs no check of its own.
    void bindInt(int position, int value);
    void bindText(int position, const QString& text);
    void bindText(int position, const std::string& text);
    void bindText(int position, const char* text);
    void bindValue(int index, const QVariant& value);
    // Runs the statement with its current bindings.
    Expected<void> step();
    // Releases the result set; the prepared text stays and can run again.
    void finish();

    // For a statement that returns rows: moves to the next row (first call: the first row).
    bool next();
    QVariant value(int column) const;
    int lastInsertId() const;
    int numRowsAffected() const;

private:
    Error failure(const QSqlError& error) const;

    QSqlQuery m_query;
    // The database the connection belongs to; null without an open one.
    const SqliteDb* m_db = nullptr;
    // The first failed bind since the last step.
    std::optional<Error> m_bindError;
};

} // namespace lum
