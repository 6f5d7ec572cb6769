#include "lum/db/NativeStatement.h"

#include "lum/db/SqliteDb.h"

#include <QSqlDriver>

#include <sqlite3.h>

#include <cstring>

namespace lum {

namespace {

// The SQLite handle behind a connection of Qt's SQLite driver; null for any other driver.
sqlite3* handleOf(const QSqlDatabase& connection)
{
    if (!connection.isOpen() || connection.driver() == nullptr)
        return nullptr;
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

} // namespace

NativeStatement::~NativeStatement()
{
    sqlite3_finalize(m_statement);
}

Expected<void> NativeStatement::prepare(const SqliteDb& db, const QString& sql)
{
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_failed = false;
    m_error.clear();
    m_db = db.isOpen() ? handleOf(db.db()) : nullptr;
    if (m_db == nullptr) {
        m_error = QStringLiteral("The database is not open.");
        return Error(JobError::Database, m_error);
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &m_statement, nullptr) !=
        SQLITE_OK) {
        noteFailure();
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        return Error(JobError::Database, m_error);
    }
    return {};
}

void NativeStatement::bindInt(int position, qint64 value)
{
    sqlite3_bind_int64(m_statement, position, value);
}

void NativeStatement::bindDouble(int position, double value)
{
    sqlite3_bind_double(m_statement, position, value);
}

void NativeStatement::bindText(int position, const char* utf8, int size)
{
    // A null pointer would bind NULL; text bound here is always a value, if empty.
    sqlite3_bind_text(m_statement, position, utf8 ? utf8 : "", size, SQLITE_TRANSIENT);
}

int NativeStatement::step()
{
    if (m_statement == nullptr) {
        m_failed = true;
        m_error = QStringLiteral("The statement is not prepared.");
        return SQLITE_MISUSE;
    }
    int code = sqlite3_step(m_statement);
    while (code == SQLITE_ROW)
        code = sqlite3_step(m_statement);
    if (code != SQLITE_DONE)
        noteFailure();
    sqlite3_reset(m_statement);
    return code == SQLITE_DONE ? Done : code;
}

bool NativeStatement::next()
{
    if (m_statement == nullptr || m_failed)
        return false;
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW)
        return true;
    if (code != SQLITE_DONE)
        noteFailure();
    sqlite3_reset(m_statement);
    return false;
}

void NativeStatement::reset()
{
    m_failed = false;
    if (m_statement != nullptr)
        sqlite3_reset(m_statement);
}

bool NativeStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

int NativeStatement::columnInt(int column) const
{
    return sqlite3_column_int(m_statement, column);
}

double NativeStatement::columnDouble(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

const char* NativeStatement::columnText(int column, int* size) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (size != nullptr)
        *size = sqlite3_column_bytes(m_statement, column);
    return text ? text : "";
}

void NativeStatement::noteFailure()
{
    m_failed = true;
    m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
}

} // namespace lum
