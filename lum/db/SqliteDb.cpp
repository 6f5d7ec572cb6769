#include "lum/db/SqliteDb.h"

#include "lum/db/ConnectionRegistry.h"
#include "lum/db/DbModel.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/TableData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStorageInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace lum {

namespace {

const QString driverName = QStringLiteral("QSQLITE");

// Namespace-scope so that they outlive any database held in a function-local static.
std::mutex openDatabasesMutex;
std::vector<SqliteDb*> openDatabases;

Error refusal(const QString& message)
{
    return Error(JobError::Database, message);
}

// Reads the calling thread's connection to find out whether the file really is a database;
// SQLite only looks at the file when the first statement runs.
QSqlError checkReadable(ConnectionRegistry& registry)
{
    QSqlDatabase db = registry.connection();
    if (!db.isOpen())
        return db.lastError();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return query.lastError();
    return QSqlError();
}

// Lets readers go on while a writer works. A database that cannot switch (read-only medium)
// keeps its rollback journal, which still works, only with less concurrency. The journal mode
// is stored in the file; the settings of each connection are made by the registry.
void configureDatabase(ConnectionRegistry& registry)
{
    QSqlQuery query(registry.connection());
    query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

// SQLite's own words leave out whose lock it is, and what a read-only folder blocks.
QSqlError explained(const QSqlError& error, const QString& path)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    const int busy = 5;
    const int locked = 6;
    if (code == busy || code == locked) {
        return QSqlError(error.driverText(),
                         QStringLiteral("Another process is writing to the database \"%1\"; run "
                                        "the command again once it has finished (%2)")
                             .arg(path, error.databaseText()),
                         error.type(), error.nativeErrorCode());
    }
    const QString folder = QFileInfo(path).absolutePath();
    // A full disk shows at open as "disk I/O error": SQLite cannot make its "-shm" file there.
    const int ioError = 10;
    const int full = 13;
    const qint64 roomForJournals = 1 << 20;
    if (code == full ||
        (code == ioError && QStorageInfo(folder).bytesAvailable() < roomForJournals)) {
        return QSqlError(error.driverText(),
                         QStringLiteral("The disk that holds \"%1\" is full; free some space and "
                                        "run the command again (%2)")
                             .arg(QDir::toNativeSeparators(path), error.databaseText()),
                         error.type(), error.nativeErrorCode());
    }
    const QString text = error.databaseText();
    if ((text.contains(QLatin1String("unable to open database file")) ||
         text.contains(QLatin1String("attempt to write a readonly database"))) &&
        !QFileInfo(folder).isWritable()) {
        return QSqlError(error.driverText(),
                         QStringLiteral("The folder \"%1\" is read-only, and the database needs "
                                        "to create its \"-shm\" and \"-wal\" files beside it (%2)")
                             .arg(QDir::toNativeSeparators(folder), error.databaseText()),
                         error.type(), error.nativeErrorCode());
    }
    return error;
}

} // namespace

Error sqlError(const QSqlError& error)
{
    return Error(JobError::Database, error.databaseText(), error.driverText());
}

Error databaseNotOpen()
{
    return Error(JobError::Database, QStringLiteral("The database is not open."));
}

SqliteDb::SqliteDb()
{
    // Makes Qt's connection list exist before this object, so it is still there when a database
    // held in a static is destroyed at exit.
    QSqlDatabase::connectionNames();
}

SqliteDb::~SqliteDb()
{
    close();
}

Expected<void> SqliteDb::open(const QString& path)
{
    close();
    if (path.isEmpty())
        return refusal(QStringLiteral("No database file name was given."));
    if (path == QLatin1String(":memory:"))
        return refusal(QStringLiteral("An in-memory database cannot be shared between threads."));
    if (!QSqlDatabase::isDriverAvailable(driverName))
        return refusal(QStringLiteral("The SQLite database driver is not available."));

    const QFileInfo info(path);
    if (info.exists()) {
        if (!looksLikeDatabase(path))
            return refusal(QStringLiteral("The file \"%1\" is not a SQLite database.").arg(path));
    } else if (!QDir().mkpath(info.absolutePath())) {
        return refusal(
            QStringLiteral("Unable to create the folder \"%1\" for the database file \"%2\".")
                .arg(QDir::toNativeSeparators(info.absolutePath()), path));
    }

    const QString unableToOpen =
        QStringLiteral("Unable to open the database file \"%1\":").arg(path);
    auto registry = std::make_shared<ConnectionRegistry>(info.absoluteFilePath());
    const QSqlError error = explained(checkReadable(*registry), info.absoluteFilePath());
    if (error.isValid()) {
        registry->removeAll();
        return Error(JobError::Database, unableToOpen, error.text());
    }
    m_registry = std::move(registry);
    // Checked before the journal mode is switched: that too writes to the file.
    const QString problem = ownershipProblem(path);
    if (!problem.isEmpty()) {
        close();
        return refusal(problem);
    }
    if (const Expected<void> stamped = stampOwner(); !stamped) {
        close();
        return Error(JobError::Database, unableToOpen, stamped.error().text());
    }
    configureDatabase(*m_registry);
    makeDefault();
    return {};
}

void SqliteDb::setOwner(qint32 applicationId, int schemaVersion, const QStringList& tableNames)
{
    m_applicationId = applicationId;
    m_schemaVersion = schemaVersion;
    m_ownTables = tableNames;
}

QString SqliteDb::ownershipProblem(const QString& path) const
{
    if (m_applicationId == 0)
        return {};
    QSqlQuery query(db());
    const auto pragma = [&query](const char* name) -> qint64 {
        if (!query.exec(QStringLiteral("PRAGMA ") + QLatin1String(name)) || !query.next())
            return -1;
        return query.value(0).toLongLong();
    };
    const qint64 applicationId = pragma("application_id");
    const qint64 version = pragma("user_version");
    const QString refused =
        QStringLiteral("The file \"%1\" was not made by this program (%2); it was left "
                       "unchanged. Name a new file, or one this program made, with --db.");
    if (applicationId == -1 || version == -1)
        return refused.arg(path, failure(query.lastError()).text());
    if (applicationId == m_applicationId) {
        if (version > m_schemaVersion)
            return QStringLiteral("The database \"%1\" was made by a newer version of this "
                                  "program (schema %2; this one knows up to %3); it was left "
                                  "unchanged.")
                .arg(path)
                .arg(version)
                .arg(m_schemaVersion);
        return {};
    }
    if (applicationId != 0)
        return refused.arg(path, QStringLiteral("application id %1").arg(applicationId));
    // Unstamped: new, or made before files were stamped, when it holds only tables of ours.
    QStringList foreign;
    for (const QString& table : tables(2)) {
        if (!m_ownTables.contains(table))
            foreign.append(table);
    }
    if (!foreign.isEmpty())
        return refused.arg(
            path, QStringLiteral("it holds the tables %1").arg(foreign.join(QStringLiteral(", "))));
    return {};
}

Expected<void> SqliteDb::stampOwner()
{
    if (m_applicationId == 0)
        return {};
    QSqlQuery query(db());
    if (query.exec(QStringLiteral("PRAGMA application_id")) && query.next() &&
        query.value(0).toLongLong() == m_applicationId)
        return {};
    if (Expected<void> stamped =
            exec(QStringLiteral("PRAGMA application_id=%1").arg(m_applicationId));
        !stamped)
        return stamped;
    return exec(QStringLiteral("PRAGMA user_version=%1").arg(m_schemaVersion));
}

bool SqliteDb::inTransaction() const
{
    if (!isOpen())
        return false;
    const QSqlDatabase connection = db();
    if (!connection.isOpen() || !connection.driver())
        return false;
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* native = *static_cast<sqlite3* const*>(handle.constData());
    return native && sqlite3_get_autocommit(native) == 0;
}

qint64 SqliteDb::dataVersion() const
{
    if (!isOpen())
        return -1;
    QSqlQuery query(db());
    if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next())
        return -1;
    return query.value(0).toLongLong();
}

void SqliteDb::close()
{
    dropDefault();
    if (m_registry) {
        m_registry->removeAll();
        m_registry.reset();
    }
}

Error SqliteDb::refuse(const QString& message)
{
    close();
    return refusal(message);
}

bool SqliteDb::isOpen() const
{
    return m_registry != nullptr;
}

QString SqliteDb::path() const
{
    return m_registry ? m_registry->path() : QString();
}

QSqlDatabase SqliteDb::db() const
{
    return m_registry ? m_registry->connection() : QSqlDatabase();
}

int SqliteDb::connectionCount() const
{
    return m_registry ? m_registry->count() : 0;
}

Expected<void> SqliteDb::beginTransaction()
{
    if (!isOpen())
        return databaseNotOpen();
    // IMMEDIATE takes the write lock now (waiting for another writer), instead of at the first
    // write, where a conflict could not be waited out.
    QSqlQuery query(db());
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return {};
    return failure(query.lastError());
}

Expected<void> SqliteDb::commit()
{
    if (!isOpen())
        return databaseNotOpen();
    QSqlDatabase connection = db();
    if (connection.commit())
        return {};
    return failure(connection.lastError());
}

Expected<void> SqliteDb::rollback()
{
    if (!isOpen())
        return databaseNotOpen();
    QSqlDatabase connection = db();
    if (connection.rollback())
        return {};
    return failure(connection.lastError());
}

Expected<void> SqliteDb::exec(const QString& sql, const QVariantList& values)
{
    if (!isOpen())
        return databaseNotOpen();
    QSqlQuery query(db());
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (ok)
        return {};
    return failure(query.lastError());
}

QStringList SqliteDb::tables(int kind) const
{
    if (!isOpen())
        return {};
    const QSql::TableType type = kind == 0   ? QSql::Tables
                                 : kind == 1 ? QSql::Views
                                             : QSql::AllTables;
    QStringList names = db().tables(type);
    names.erase(std::remove_if(
                    names.begin(), names.end(),
                    [](const QString& name) { return name.startsWith(QLatin1String("sqlite_")); }),
                names.end());
    return names;
}

bool SqliteDb::tableExists(const DbModel& model) const
{
    return tables(0).contains(model.tableName());
}

Expected<void> SqliteDb::createTable(const DbModel& model)
{
    QString sql = QStringLiteral("CREATE TABLE `") + model.tableName() + QStringLiteral("` (");
    const int count = model.columnNames().size();
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            sql += QStringLiteral(", ");
        sql += model.columnName(i) + QLatin1Char(' ') + model.columnType(i);
    }
    sql += QLatin1Char(')');
    return exec(sql);
}

Expected<void> SqliteDb::createIndex(const DbModel& model, int column)
{
    const QString name = model.columnName(column);
    return exec(QStringLiteral("CREATE INDEX idx_") + model.tableName() + QLatin1Char('_') + name +
                QStringLiteral(" ON ") + model.tableName() + QStringLiteral(" (") + name +
                QLatin1Char(')'));
}

Expected<void> SqliteDb::dropTable(const DbModel& model)
{
    return exec(QStringLiteral("DROP TABLE `") + model.tableName() + QLatin1Char('`'));
}

void SqliteDb::runQuery(TableData& data, const QString& sql, const QVariantList& values) const
{
    data.setQuery(*this, sql, values);
}

Expected<void> SqliteDb::prepareInsert(const DbModel& model, SqlStatement& statement) const
{
    statement.setDatabase(*this);
    return statement.prepare(model.insertSql());
}

Expected<bool> SqliteDb::findFirst(const DbModel& model, int column, const QVariant& value) const
{
    if (!isOpen())
        return databaseNotOpen();
    QSqlQuery query(db());
    const bool ok = query.prepare(QStringLiteral("SELECT * FROM ") + model.tableName() +
                                  QStringLiteral(" WHERE ") + model.qualifiedColumnName(column) +
                                  QStringLiteral(" = ? LIMIT 1"));
    if (ok) {
        query.addBindValue(value);
        if (query.exec())
            return query.next();
    }
    return failure(query.lastError());
}

SqliteDb* SqliteDb::defaultDatabase()
{
    const std::lock_guard<std::mutex> lock(openDatabasesMutex);
    return openDatabases.empty() ? nullptr : openDatabases.back();
}

bool SqliteDb::looksLikeDatabase(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.size() == 0)
        return true; // SQLite treats an empty file as an empty database.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray header("SQLite format 3\0", 16);
    return file.read(header.size()) == header;
}

Error SqliteDb::failure(const QSqlError& error) const
{
    return sqlError(m_registry ? explained(error, m_registry->path()) : error);
}

void SqliteDb::makeDefault()
{
    const std::lock_guard<std::mutex> lock(openDatabasesMutex);
    openDatabases.erase(std::remove(openDatabases.begin(), openDatabases.end(), this),
                        openDatabases.end());
    openDatabases.push_back(this);
}

void SqliteDb::dropDefault()
{
    const std::lock_guard<std::mutex> lock(openDatabasesMutex);
    openDatabases.erase(std::remove(openDatabases.begin(), openDatabases.end(), this),
                        openDatabases.end());
}

} // namespace lum
