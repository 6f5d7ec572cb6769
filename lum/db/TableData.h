#pragma once

#include "lum/core/Expected.h"

#include <QSqlQueryModel>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <string>

namespace lum {

class SqliteDb;

// The rows of one SELECT, read in full when the query runs. Without a database argument the
// query runs on SqliteDb::defaultDatabase(), always on the calling thread's connection.
//
//     TableData rows(*db, "SELECT id, code FROM sites WHERE code = ?", {code});
//     for (int r = 0; r < rows.numRows(); ++r)
//         use(rows.intValue(r, 0), rows.stringValue(r, 1));
//
// A failed query leaves no rows; result() tells why. Getters outside the rows
// or columns, or on a field that does not convert, give 0 or an empty text.
class TableData : public QSqlQueryModel
{
    Q_OBJECT

public:
    explicit TableData(QObject* parent = nullptr);
    explicit TableData(const QString& sql);
    TableData(const QString& sql, const QVariantList& values);
    TableData(const SqliteDb& db, const QString& sql, const QVariantList& values = {});

    // Runs `sql` with `values` bound to its `?` in order, and reads every row.
    void setQuery(const QString& sql, const QVariantList& values = {});
    void setQuery(const SqliteDb& db, const QString& sql, const QVariantList& values = {});

    int numRows() const { return m_numRows; }
    int numColumns() const { return m_numColumns; }
    // Whether the last query ran, or why not.
    Expected<void> result() const;

    QVariant value(int row, int column) const;
    bool isNull(int row, int column) const;
    double doubleValue(int row, int column) const;
    int intValue(int row, int column) const;
    qlonglong longLongValue(int row, int column) const;
    QString stringValue(int row, int column) const;
    // UTF-8.
    std::string stdStringValue(int row, int column) const;

private:
    void run(const SqliteDb* db, const QString& sql, const QVariantList& values);

    int m_numRows = 0;
    int m_numColumns = 0;
};

} // namespace lum
