#pragma once

#include "lum/core/Expected.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lum {
class SqliteDb;
}

namespace rivulet {

class RivuletDb;

// Keeps what an update derived from the detection histories (the next-detection counts) in
// the database, so that the next command or run on the same data reads it back instead of
// reading a million history rows again.
//
// What is stored is tied to a fingerprint of what the derivation reads besides the histories
// (releases, sites, years and cohorts with their order and active flags), of the histories'
// extent, and of a generation that every writer of histories (observation and age loads)
// advances inside its own transaction. A load that keeps the same numbers of rows therefore
// cannot leave counts of the old study behind, and a derivation that a load overtook is not
// stored: its fingerprint, taken before it read, no longer matches when it is saved.
//
//     const QByteArray fingerprint = store.fingerprint();
//     QByteArray payload = store.load(fingerprint);
//     if (payload.isEmpty()) { payload = derive(); store.save(fingerprint, payload); }
class DerivedDataStore
{
public:
    explicit DerivedDataStore(RivuletDb& rdb);

    // The fingerprint of the data as they are now; empty when the database cannot be read.
    QByteArray fingerprint() const;
    // The stored payload when it was stored under `fingerprint`; empty otherwise.
    QByteArray load(const QByteArray& fingerprint) const;
    // Stores the payload derived from the data whose fingerprint was taken before the
    // derivation read them; nothing when the data have changed since. False when nothing
    // was stored (changed data, read-only file, another writer): the next command then
    // derives the data again.
    bool save(const QByteArray& fingerprint, const QByteArray& payload) const;

    // Forgets the stored payload and advances the generation. Called by every writer of
    // histories inside its transaction.
    static lum::Expected<void> forget(lum::SqliteDb& db);
    // Makes every change to stored detections or tags that keeps the tables' extent (a row
    // edited or deleted in place, by this program or any other) forget the stored payload, as
    // a writer does. Triggers in the file, so that they also see edits made with other tools;
    // made once per file, nothing is written when they are there.
    static lum::Expected<void> watchEdits(lum::SqliteDb& db, const QStringList& watchedTables);
    // Drops the watch, for a writer that replaces the tables whole and forgets by itself (in
    // the same transaction as the watchEdits() that ends its work): SQLite empties a table
    // with triggers row by row.
    static lum::Expected<void> unwatchEdits(lum::SqliteDb& db);
    // The table the store keeps its rows in.
    static QString tableName();

private:
    QByteArray fingerprintOf(lum::SqliteDb& db) const;

    RivuletDb& m_rdb;
};

} // namespace rivulet
