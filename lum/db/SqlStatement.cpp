#include "lum/db/SqlStatement.h"

#include "lum/db/SqliteDb.h"

namespace lum {

namespace {

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
    m_db = db.isOpen() ? &db : nullptr;
    m_bindError.reset();
    if (m_db)
        m_query = QSqlQuery(db.db());
}

Expected<void> SqlStatement::prepare(const QString& sql)
{
    m_bindError.reset();
    if (!m_db)
        return databaseNotOpen();
    if (m_query.prepare(sql))
        return {};
    return failure(m_query.lastError());
}

void SqlStatement::bindInt(int position, int value)
{
    bindValue(position - 1, value);
}

void SqlStatement::bindText(int position, const QString& text)
{
    bindValue(position - 1, nonNull(text));
}

void SqlStatement::bindText(int position, const std::string& text)
{
    bindText(position, QString::fromStdString(text));
}

void SqlStatement::bindText(int position, const char* text)
{
    bindText(position, QString::fromUtf8(text));
}

void SqlStatement::bindValue(int index, const QVariant& value)
{
    if (m_bindError)
        return;
    if (!m_db)
        m_bindError = databaseNotOpen();
    else if (index < 0)
        m_bindError = Error(JobError::Database, QStringLiteral("Bind position out of range."));
    else
        m_query.bindValue(index, value);
}

Expected<void> SqlStatement::step()
{
    if (m_bindError) {
        Error error = std::move(*m_bindError);
        m_bindError.reset();
        return error;
    }
    if (!m_db)
        return databaseNotOpen();
    if (!m_query.exec())
        return failure(m_query.lastError());
    return {};
}

void SqlStatement::finish()
{
    if (m_db)
        m_query.finish();
}

bool SqlStatement::next()
{
    return m_db && m_query.next();
}

QVariant SqlStatement::value(int column) const
{
    return m_db ? m_query.value(column) : QVariant();
}

int SqlStatement::lastInsertId() const
{
    return m_db ? m_query.lastInsertId().toInt() : 0;
}

int SqlStatement::numRowsAffected() const
{
    return m_db ? m_query.numRowsAffected() : 0;
}

Error SqlStatement::failure(const QSqlError& error) const
{
    return m_db->failure(error);
}

} // namespace lum
