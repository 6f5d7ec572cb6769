#include "rivulet/data/DerivedDataStore.h"

#include "lum/db/DbModel.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/TableData.h"
#include "rivulet/data/RivuletDb.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace rivulet {

QString DerivedDataStore::tableName()
{
    return QStringLiteral("derived_data");
}

namespace {

const QString storeTable = DerivedDataStore::tableName();

// One row (id 1): the generation, and the fingerprint and payload of the last stored update.
lum::Expected<void> createTable(lum::SqliteDb& db)
{
    return db.exec(QStringLiteral("create table if not exists ") + storeTable +
                   QStringLiteral(" (id integer primary key check (id = 1), generation integer "
                                  "not null, fingerprint blob, payload blob)"));
}

} // namespace

DerivedDataStore::DerivedDataStore(RivuletDb& rdb) : m_rdb(rdb) {}

QByteArray DerivedDataStore::fingerprint() const
{
    lum::SqliteDb* db = m_rdb.database();
    if (db == nullptr || !db->isOpen())
        return QByteArray();
    // One state of the file for every table (the caller's, when it has a transaction open).
    const lum::DbReadTransaction oneState(db);
    return fingerprintOf(*db);
}

QByteArray DerivedDataStore::fingerprintOf(lum::SqliteDb& db) const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const auto addRows = [&hash, &db](const QString& sql) {
        QSqlQuery query(db.db());
        query.setForwardOnly(true);
        if (!query.exec(sql))
            return false;
        while (query.next()) {
            const QSqlRecord record = query.record();
            for (int i = 0; i < record.count(); ++i) {
                hash.addData(record.value(i).toString().toUtf8());
                hash.addData("\x1f", 1);
            }
            hash.addData("\x1e", 1);
        }
        return true;
    };
    // The small tables whole: every edit of the configuration changes one of them.
    for (const int table :
         {RivuletDb::Releases, RivuletDb::Sites, RivuletDb::Years, RivuletDb::Cohorts}) {
        if (!addRows(QStringLiteral("select * from ") + m_rdb.model(table)->tableName() +
                     QStringLiteral(" order by rowid")))
            return QByteArray();
    }
    // The large ones by their extent, which costs a look at the end of each b-tree.
    for (const int table : {RivuletDb::Tags, RivuletDb::Observations}) {
        if (!addRows(QStringLiteral("select max(rowid) from ") + m_rdb.model(table)->tableName()))
            return QByteArray();
    }
    // Generation 0 until a writer first advances it, whether the table exists yet or not.
    if (!addRows(db.tables().contains(storeTable)
                     ? QStringLiteral("select coalesce(max(generation), 0) from ") + storeTable
                     : QStringLiteral("select 0")))
        return QByteArray();
    return hash.result();
}

QByteArray DerivedDataStore::load(const QByteArray& fingerprint) const
{
    lum::SqliteDb* db = m_rdb.database();
    if (fingerprint.isEmpty() || db == nullptr || !db->isOpen() ||
        !db->tables().contains(storeTable))
        return QByteArray();
    QSqlQuery query(db->db());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select fingerprint, payload from ") + storeTable) ||
        !query.next() || query.value(0).toByteArray() != fingerprint)
        return QByteArray();
    return query.value(1).toByteArray();
}

bool DerivedDataStore::save(const QByteArray& fingerprint, const QByteArray& payload) const
{
    lum::SqliteDb* db = m_rdb.database();
    if (fingerprint.isEmpty() || db == nullptr || !db->isOpen())
        return false;
    lum::DbTransaction transaction(*db);
    if (!transaction.begun() || fingerprintOf(*db) != fingerprint || !createTable(*db))
        return false;
    // The generation stays: the fingerprint just checked includes it.
    if (!db->exec(QStringLiteral("insert into ") + storeTable +
                      QStringLiteral(" (id, generation, fingerprint, payload) values (1, 0, ?, ?) "
                                     "on conflict(id) do update set fingerprint = "
                                     "excluded.fingerprint, payload = excluded.payload"),
                  {fingerprint, payload})
             .ok())
        return false;
    return transaction.commit().ok();
}

lum::Expected<void> DerivedDataStore::watchEdits(lum::SqliteDb& db,
                                                 const QStringList& watchedTables)
{
    QStringList statements;
    for (const QString& table : watchedTables) {
        for (const char* event : {"update", "delete"}) {
            const QString name =
                QStringLiteral("forget_derived_on_") + event + QLatin1Char('_') + table;
            lum::TableData found(db,
                                 QStringLiteral("select 1 from sqlite_master where type = "
                                                "'trigger' and name = ?"),
                                 {name});
            if (lum::Expected<void> read = found.result(); !read)
                return read;
            if (found.numRows() > 0)
                continue;
            // Only the first changed row of a statement does the work: a load that empties
            // the tables forgets first, and its millions of rows then cost one lookup each.
            statements.append(QStringLiteral("create trigger if not exists ") + name +
                              QStringLiteral(" after ") + event + QStringLiteral(" on ") + table +
                              QStringLiteral(" when exists (select 1 from ") + storeTable +
                              QStringLiteral(" where id = 1 and fingerprint is not null) begin "
                                             "update ") +
                              storeTable +
                              QStringLiteral(" set generation = generation + 1, fingerprint = "
                                             "null, payload = null where id = 1; end"));
        }
    }
    if (statements.isEmpty())
        return {};
    lum::DbTransaction transaction(db);
    if (!transaction.begun())
        return transaction.begun();
    if (lum::Expected<void> created = createTable(db); !created)
        return created;
    for (const QString& statement : statements) {
        if (lum::Expected<void> made = db.exec(statement); !made)
            return made;
    }
    return transaction.commit();
}

lum::Expected<void> DerivedDataStore::unwatchEdits(lum::SqliteDb& db)
{
    lum::TableData found(db, QStringLiteral("select name from sqlite_master where type = "
                                            "'trigger' and name like 'forget\\_derived\\_on\\_%' "
                                            "escape '\\'"));
    if (lum::Expected<void> read = found.result(); !read)
        return read;
    for (int row = 0; row < found.numRows(); ++row) {
        if (lum::Expected<void> dropped =
                db.exec(QStringLiteral("drop trigger if exists ") + found.stringValue(row, 0));
            !dropped)
            return dropped;
    }
    return {};
}

lum::Expected<void> DerivedDataStore::forget(lum::SqliteDb& db)
{
    if (lum::Expected<void> created = createTable(db); !created)
        return created;
    return db.exec(QStringLiteral("insert into ") + storeTable +
                   QStringLiteral(" (id, generation) values (1, 1) on conflict(id) do update set "
                                  "generation = generation + 1, fingerprint = null, "
                                  "payload = null"));
}

} // namespace rivulet
