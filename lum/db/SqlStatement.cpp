#include "lum/db/SqlStatement.h"

#include "lum/db/SqliteDb.h"

namespace lum {

namespace {

QSqlError noDatabaseError()
{
    return QSqlError(QString(), QStringLiteral("The database is not open."),
                     QSqlError::ConnectionError);
}

// A null text would reach SQLite as NULL; text bound through this class is always a value.
QString nonNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

SqlStatement::SqlStatement()
{
    if (const SqliteDb* db = SqliteDb::defaultDatabase())
        setDatabase(*db);
}

SqlStatement::SqlStatement(const SqliteDb& db)
{
    setDatabase(db);
}

SqlStatement::~SqlStatement()
{
    finish();
}

void SqlStatement::setDatabase(const SqliteDb& db)
{
    m_query.finish();
    m_hasConnection = db.isOpen();
    if (m_hasConnection)
        m_query = QSqlQuery(db.db());
    m_error = QSqlError();
}

int SqlStatement::prepare(const QString& sql)
{
    if (!m_hasConnection)
        return result(noDatabaseError());
    return result(m_query.prepare(sql) ? QSqlError() : m_query.lastError());
}

int SqlStatement::bindInt(int position, int value)
{
    return bindValue(position - 1, value);
}

int SqlStatement::bindText(int position, const QString& text)
{
    return bindValue(position - 1, nonNull(text));
}

int SqlStatement::bindText(int position, const std::string& text)
{
    return bindText(position, QString::fromStdString(text));
}

int SqlStatement::bindText(int position, const char* text)
{
    return bindText(position, QString::fromUtf8(text));
}

int SqlStatement::bindValue(int index, const QVariant& value)
{
    if (!m_hasConnection)
        return result(noDatabaseError());
    if (index < 0)
        return result(QSqlError(QString(), QStringLiteral("Bind position out of range."),
                                QSqlError::StatementError));
    m_query.bindValue(index, value);
    return result(QSqlError());
}

int SqlStatement::step()
{
    if (!m_hasConnection)
        return result(noDatabaseError());
    if (!m_query.exec())
        return result(m_query.lastError());
    result(QSqlError());
    return Done;
}

int SqlStatement::finish()
{
    if (!m_hasConnection)
        return QSqlError::ConnectionError;
    m_query.finish();
    return QSqlError::NoError;
}

bool SqlStatement::next()
{
    return m_hasConnection && m_query.next();
}

QVariant SqlStatement::value(int column) const
{
    return m_hasConnection ? m_query.value(column) : QVariant();
}

int SqlStatement::lastInsertId() const
{
    return m_hasConnection ? m_query.lastInsertId().toInt() : 0;
}

int SqlStatement::numRowsAffected() const
{
    return m_hasConnection ? m_query.numRowsAffected() : 0;
}

QSqlError SqlStatement::lastError() const
{
    return m_error;
}

int SqlStatement::result(const QSqlError& error)
{
    m_error = error;
    return error.type();
}

} // namespace lum
