#include "lum/db/DbManager.h"

#include "lum/db/DbTransaction.h"

namespace lum {

DbManager::DbManager()
{
    // Makes Qt's connection list exist before this object, so it is still there when a manager
    // held in a static (the application's database) is destroyed at exit.
    QSqlDatabase::connectionNames();
}

DbManager::~DbManager()
{
    m_models.clear();
    if (m_db)
        m_db->close();
}

namespace {

Error notOpen()
{
    return Error(JobError::Database, QStringLiteral("The database is not open."));
}

} // namespace

Error DbManager::databaseError(const QString& where) const
{
    return Error(JobError::Database, lastError().text(), QString(), where);
}

Expected<void> DbManager::open(const QString& path)
{
    if (m_models.empty())
        registerModels();
    if (!m_db)
        m_db = std::make_unique<SqliteDb>();
    QStringList tableNames = otherTables();
    for (const auto& entry : m_models)
        tableNames.append(entry.second->tableName());
    m_db->setOwner(applicationId(), schemaVersion(), tableNames);
    if (m_db->open(path) != 0)
        return databaseError(path);
    // A program that stamps its files makes every table with the file; a file that lost some
    // of them lost their rows, and empty tables made in their place would pass for a study
    // without data.
    QStringList present;
    QStringList missing;
    for (const auto& entry : m_models)
        (m_db->tableExists(*entry.second) ? present : missing).append(entry.second->tableName());
    if (applicationId() != 0 && !present.isEmpty() && !missing.isEmpty()) {
        m_db->refuse(QStringLiteral("The database \"%1\" is damaged: the tables %2 are "
                                    "missing. Restore it from a copy, or load the study "
                                    "into a new file.")
                         .arg(path, missing.join(QStringLiteral(", "))));
        return databaseError(path);
    }
    // A table that cannot be made (a read-only file) is for the caller to find; the open
    // itself succeeded.
    (void)createTables();
    return {};
}

bool DbManager::isValidDatabase(const QString& path)
{
    return SqliteDb::looksLikeDatabase(path) &&
           QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
}

void DbManager::addModel(int id, std::unique_ptr<DbModel> model)
{
    m_models[id] = std::move(model);
}

DbModel* DbManager::model(int id) const
{
    const auto it = m_models.find(id);
    return it == m_models.end() ? nullptr : it->second.get();
}

QList<DbModel*> DbManager::models() const
{
    QList<DbModel*> list;
    for (const auto& entry : m_models)
        list.append(entry.second.get());
    return list;
}

QSqlDatabase DbManager::connection() const
{
    return m_db ? m_db->db() : QSqlDatabase();
}

QSqlError DbManager::lastError() const
{
    return m_db ? m_db->lastError()
                : QSqlError(QString(), QStringLiteral("The database is not open."),
                            QSqlError::ConnectionError);
}

Expected<void> DbManager::resetTables(const QList<const DbModel*>& keep)
{
    if (!m_db || !m_db->isOpen())
        return notOpen();
    for (const auto& entry : m_models) {
        DbModel& model = *entry.second;
        if (keep.contains(&model))
            continue;
        if ((m_db->tableExists(model) && m_db->dropTable(model) != 0) ||
            m_db->createTable(model) != 0)
            return databaseError(model.tableName());
        model.afterReset();
    }
    return {};
}

Expected<void> DbManager::createTables()
{
    if (!m_db || !m_db->isOpen())
        return notOpen();
    QList<const DbModel*> missing;
    for (const auto& entry : m_models)
        if (!m_db->tableExists(*entry.second))
            missing.append(entry.second.get());
    if (missing.isEmpty())
        return {};
    // One transaction, so that a failure part-way does not leave a table without its indexes
    // (a table that exists is never touched again).
    DbTransaction transaction(*m_db);
    if (transaction.error() != 0)
        return databaseError(QString());
    for (const DbModel* model : missing) {
        if (m_db->createTable(*model) != 0)
            return databaseError(model->tableName());
        for (const int column : model->indexColumns())
            if (m_db->createIndex(*model, column) != 0)
                return databaseError(model->tableName());
    }
    if (transaction.commit() != 0)
        return databaseError(QString());
    return {};
}

} // namespace lum
