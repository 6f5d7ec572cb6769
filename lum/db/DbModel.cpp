#include "lum/db/DbModel.h"

#include <stdexcept>

namespace lum {

DbModel::DbModel(const QString& tableName, int columnCount, QObject* parent)
    : QSqlTableModel(parent), m_tableName(tableName), m_columnCount(columnCount)
{
}

int DbModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

void DbModel::checkIndex(int i) const
{
    if (i < 0 || i >= m_columnNames.size())
        throw std::out_of_range("Index out of range");
}

QString DbModel::columnName(int i) const
{
    checkIndex(i);
    return m_columnNames.at(i);
}

QString DbModel::columnType(int i) const
{
    if (i < 0 || i >= m_columnTypes.size())
        throw std::out_of_range("Index out of range");
    return m_columnTypes.at(i);
}

QString DbModel::quotedColumnName(int i) const
{
    return QLatin1Char('`') + columnName(i) + QLatin1Char('`');
}

QString DbModel::qualifiedColumnName(int i) const
{
    return QLatin1Char('`') + m_tableName + QStringLiteral("`.`") + columnName(i) +
           QLatin1Char('`');
}

QString DbModel::selectSql(const QList<int>& orderBy, const QString& where) const
{
    QString sql = QStringLiteral("SELECT * FROM ") + m_tableName + QLatin1Char(' ');
    if (!where.isEmpty())
        sql += QStringLiteral("WHERE ") + where + QLatin1Char(' ');
    for (int k = 0; k < orderBy.size(); ++k)
        sql += (k == 0 ? QStringLiteral("ORDER BY ") : QStringLiteral(", ")) +
               columnName(orderBy.at(k));
    return sql;
}

QString DbModel::selectSql(const QList<int>& orderBy) const
{
    return selectSql(orderBy, QString());
}

QString DbModel::selectSql() const
{
    return selectSql(QList<int>(), QString());
}

QString DbModel::insertSql() const
{
    return insertSql(1);
}

QString DbModel::insertSql(int firstColumn) const
{
    if (firstColumn < 0)
        throw std::out_of_range("Index out of range");
    QString columns;
    QString placeholders;
    for (int i = firstColumn; i < m_columnNames.size(); ++i) {
        if (i > firstColumn) {
            columns += QStringLiteral(", ");
            placeholders += QStringLiteral(", ");
        }
        columns += QLatin1Char('`') + m_columnNames.at(i) + QLatin1Char('`');
        placeholders += QLatin1Char('?');
    }
    return QStringLiteral("INSERT INTO ") + m_tableName + QStringLiteral(" (") + columns +
           QStringLiteral(")  VALUES (") + placeholders + QLatin1Char(')');
}

QString DbModel::deleteSql(const QString& where) const
{
    QString sql = QStringLiteral("DELETE FROM ") + m_tableName + QLatin1Char(' ');
    if (!where.isEmpty())
        sql += QStringLiteral("WHERE ") + where + QLatin1Char(' ');
    return sql;
}

int DbModel::modelKind() const
{
    return 0;
}

QList<int> DbModel::indexColumns() const
{
    return {};
}

void DbModel::afterReset() {}

void DbModel::setColumns(int count, const char* const names[], const char* const types[])
{
    for (int i = 0; i < count; ++i) {
        m_columnNames.append(QString::fromUtf8(names[i]));
        m_columnTypes.append(QString::fromUtf8(types[i]));
    }
}

} // namespace lum
