#include "lum/db/TableData.h"

#include "lum/db/SqliteDb.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace lum {

TableData::TableData(QObject* parent) : QSqlQueryModel(parent) {}

TableData::TableData(const QString& sql)
{
    setQuery(sql);
}

TableData::TableData(const QString& sql, const QVariantList& values)
{
    setQuery(sql, values);
}

TableData::TableData(const SqliteDb& db, const QString& sql, const QVariantList& values)
{
    setQuery(db, sql, values);
}

void TableData::setQuery(const QString& sql, const QVariantList& values)
{
    run(SqliteDb::defaultDatabase(), sql, values);
}

void TableData::setQuery(const SqliteDb& db, const QString& sql, const QVariantList& values)
{
    run(&db, sql, values);
}

void TableData::run(const SqliteDb* db, const QString& sql, const QVariantList& values)
{
    m_numRows = 0;
    m_numColumns = 0;
    if (db == nullptr || !db->isOpen()) {
        clear();
        setLastError(QSqlError(QString(), QStringLiteral("The database is not open."),
                               QSqlError::ConnectionError));
        return;
    }
    QSqlQuery query(db->db());
    if (query.prepare(sql)) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        query.exec();
    }
    QSqlQueryModel::setQuery(query);
    if (lastError().isValid())
        return;
    // Reading every row now lets SQLite release the statement (and its read snapshot) at once.
    while (canFetchMore())
        fetchMore();
    m_numRows = rowCount();
    m_numColumns = record().count();
}

Expected<void> TableData::result() const
{
    if (lastError().isValid())
        return sqlError(lastError());
    return {};
}

QVariant TableData::value(int row, int column) const
{
    if (row < 0 || row >= m_numRows || column < 0 || column >= m_numColumns)
        return QVariant();
    return data(index(row, column));
}

bool TableData::isNull(int row, int column) const
{
    return value(row, column).isNull();
}

double TableData::doubleValue(int row, int column) const
{
    return value(row, column).toDouble();
}

int TableData::intValue(int row, int column) const
{
    return value(row, column).toInt();
}

qlonglong TableData::longLongValue(int row, int column) const
{
    return value(row, column).toLongLong();
}

QString TableData::stringValue(int row, int column) const
{
    return value(row, column).toString();
}

std::string TableData::stdStringValue(int row, int column) const
{
    return stringValue(row, column).toStdString();
}

} // namespace lum
