#pragma once

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <string>

namespace lum {

class SqliteDb;

// One prepared statement on the calling thread's connection of a database (the default database
// when none is given). Create, prepare and run it on the same thread. Positions of bindInt and
// bindText count from 1 (the first `?`), the index of bindValue from 0.
//
// Prepare once and run many times:
//     SqlStatement insert(*db);
//     db->prepareInsert(*model, insert);           // or insert.prepare("UPDATE ... ?")
//     for (const Row& row : rows) {
//         StatementBinder binder(insert);
//         binder.bind(1, row.tag);
//         binder.bind(2, row.siteId);
//         if (insert.step() != SqlStatement::Done) ...
//     }
//
// Every operation returns the error type of what it did (0 none); step() returns Done (101) on
// success instead. Without an open database every operation fails with a connection error (1).
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

    int prepare(const QString& sql);
    int bindInt(int position, int value);
    int bindText(int position, const QString& text);
    int bindText(int position, const std::string& text);
    int bindText(int position, const char* text);
    int bindValue(int index, const QVariant& value);
    // Runs the statement with its current bindings.
    int step();
    // Releases the result set; the prepared text stays and can run again.
    int finish();

    // For a statement that returns rows: moves to the next row (first call: the first row).
    bool next();
    QVariant value(int column) const;
    int lastInsertId() const;
    int numRowsAffected() const;
    QSqlError lastError() const;

private:
    int result(const QSqlError& error);

    QSqlQuery m_query;
    bool m_hasConnection = false;
    QSqlError m_error;
};

} // namespace lum
