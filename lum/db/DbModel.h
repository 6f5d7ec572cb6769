#pragma once

#include <QList>
#include <QSqlTableModel>
#include <QString>
#include <QStringList>

namespace lum {

// Describes one table: its name, its column names and their SQL type clauses, and the columns
// that get an index. It builds the SQL texts the program generates mechanically. It derives from
// Qt's table model only to sit in Qt's model family; it never selects or edits through it.
//
// Column 0 is always the key column. Every helper taking a column index throws
// std::out_of_range("Index out of range") for an index outside the columns.
class DbModel : public QSqlTableModel
{
    Q_OBJECT

public:
    DbModel(const QString& tableName, int columnCount, QObject* parent = nullptr);

    QString tableName() const { return m_tableName; }
    // The number of columns given at construction.
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QStringList columnNames() const { return m_columnNames; }
    QStringList columnTypes() const { return m_columnTypes; }

    QString columnName(int i) const;
    QString columnType(int i) const;
    // `name`
    QString quotedColumnName(int i) const;
    // `table`.`name`
    QString qualifiedColumnName(int i) const;

    // "SELECT * FROM table [WHERE where ][ORDER BY a, b]". `where` may hold `?` placeholders to
    // be bound by the caller; it must never hold data values pasted in.
    virtual QString selectSql(const QList<int>& orderBy, const QString& where) const;
    virtual QString selectSql(const QList<int>& orderBy) const;
    virtual QString selectSql() const;
    // "INSERT INTO table (`c1`, ...)  VALUES (?, ...)" for the columns from `firstColumn` on;
    // without an argument the key column is left out (the database assigns it).
    virtual QString insertSql() const;
    virtual QString insertSql(int firstColumn) const;
    // "DELETE FROM table [WHERE where ]"; the same rule for `where` as in selectSql.
    virtual QString deleteSql(const QString& where) const;

    // 0 for an ordinary table; the settings table answers 4.
    virtual int modelKind() const;
    // Columns that get an index when the table is created.
    virtual QList<int> indexColumns() const;
    // Called after the table was dropped and created again.
    virtual void afterReset();

protected:
    // Appends `count` names and type clauses from two parallel arrays.
    void setColumns(int count, const char* const names[], const char* const types[]);

private:
    void checkIndex(int i) const;

    QString m_tableName;
    int m_columnCount = 0;
    QStringList m_columnNames;
    QStringList m_columnTypes;
};

} // namespace lum
