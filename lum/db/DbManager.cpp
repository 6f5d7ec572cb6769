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

// `error` placed at `where` (the file, a table), for the caller to pass on.
Error at(Error error, const QString& where)
{
    error.where = where;
    return error;
}

} // namespace

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
    if (Expected<void> opened = m_db->open(path); !opened)
        return at(opened.error(), path);
    // A program that stamps its files makes every table with the file; a file that lost some
    // of them lost their rows, and empty tables made in their place would pass for a study
    // without data.
    QStringList present;
    QStringList missing;
    for (const auto& entry : m_models)
        (m_db->tableExists(*entry.second) ? present : missing).append(entry.second->tableName());
    if (applicationId() != 0 && !present.isEmpty() && !missing.isEmpty()) {
        return at(m_db->refuse(QStringLiteral("The database \"%1\" is damaged: the tables %2 are "
                                              "missing. Restore it from a copy, or load the study "
                                              "into a new file.")
                                   .arg(path, missing.join(QStringLiteral(", ")))),
                  path);
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

Expected<void> DbManager::resetTables(const QList<const DbModel*>& keep)
{
    if (!m_db || !m_db->isOpen())
        return databaseNotOpen();
    for (const auto& entry : m_models) {
        DbModel& model = *entry.second;
        if (keep.contains(&model))
            continue;
        if (m_db->tableExists(model)) {
            if (Expected<void> dropped = m_db->dropTable(model); !dropped)
                return at(dropped.error(), model.tableName());
        }
        if (Expected<void> created = m_db->createTable(model); !created)
            return at(created.error(), model.tableName());
        model.afterReset();
    }
    return {};
}

Expected<void> DbManager::createTables()
{
    if (!m_db || !m_db->isOpen())
        return databaseNotOpen();
    QList<const DbModel*> missing;
    for (const auto& entry : m_models)
        if (!m_db->tableExists(*entry.second))
            missing.append(entry.second.get());
    if (missing.isEmpty())
        return {};
    // One transaction, so that a failure part-way does not leave a table without its indexes
    // (a table that exists is never touched again).
    DbTransaction transaction(*m_db);
    if (!transaction.begun())
        return transaction.begun();
    for (const DbModel* model : missing) {
        if (Expected<void> created = m_db->createTable(*model); !created)
            return at(created.error(), model->tableName());
        for (const int column : model->indexColumns())
            if (Expected<void> indexed = m_db->createIndex(*model, column); !indexed)
                return at(indexed.error(), model->tableName());
    }
    return transaction.commit();
}

} // namespace lum
