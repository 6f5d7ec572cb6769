#pragma once

#include "lum/core/Expected.h"
#include "lum/db/DbModel.h"
#include "lum/db/SqliteDb.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <map>
#include <memory>

namespace lum {

// Owns the database and the table models of one schema. A concrete manager registers its
// tables in registerModels(); open() creates every missing table with its indexes.
//
// Getting at the database from any thread:
//     SqliteDb* db = manager.database();   // the file; its operations run on the calling
//                                          // thread's own connection
//     QSqlDatabase c = manager.connection(); // that connection's Qt handle, for local use only
class DbManager
{
public:
    DbManager();
    // Deletes the models, then closes the database.
    virtual ~DbManager();
    DbManager(const DbManager&) = delete;
    DbManager& operator=(const DbManager&) = delete;

    // Registers the models (once per manager: the same model objects stay valid across later
    // opens), opens the file and creates the missing tables. A database error, whose message is
    // SqliteDb::open's reason, when the file cannot be opened or is refused. Opening again
    // switches to the new file.
    Expected<void> open(const QString& path);
    // True when a SQLite database file exists at `path`; never creates a file.
    static bool isValidDatabase(const QString& path);

    // Stores `model` under `id`, replacing (and deleting) an earlier model with that id.
    void addModel(int id, std::unique_ptr<DbModel> model);
    // The model registered under `id`, or null.
    DbModel* model(int id) const;
    // Every model in ascending id order.
    QList<DbModel*> models() const;

    // The database; null before the first open().
    SqliteDb* database() const { return m_db.get(); }
    // The calling thread's connection; invalid when the database is not open.
    QSqlDatabase connection() const;

    // Drops and recreates every table whose model is not in `keep`; the recreated tables are
    // empty and have no indexes. A database error (where: the table) on the first failure.
    virtual Expected<void> resetTables(const QList<const DbModel*>& keep);
    // Constructs each table model and adds it with addModel().
    virtual int registerModels() = 0;
    // The id and schema version the program stamps its database files with (see
    // SqliteDb::setOwner); 0: files are not checked nor stamped.
    virtual qint32 applicationId() const { return 0; }
    virtual int schemaVersion() const { return 0; }
    // Tables the program makes besides those of its models.
    virtual QStringList otherTables() const { return {}; }
    // Creates, in id order, each missing table and then its indexes; existing tables are left as
    // they are. Fails as resetTables does.
    virtual Expected<void> createTables();

private:
    std::map<int, std::unique_ptr<DbModel>> m_models;
    std::unique_ptr<SqliteDb> m_db;
};

} // namespace lum
