#pragma once

#include "lum/core/Expected.h"

#include <QList>

namespace lum {
class DbModel;
class SqliteDb;
} // namespace lum

namespace rivulet {

// Writes the `sequence` and `active_sequence` columns of one of the ordered tables (sites,
// years, releases). Ids and positions always travel as bound values.
class SequenceWriter
{
public:
    SequenceWriter(lum::SqliteDb* db, const lum::DbModel* model, int sequenceColumn,
                   int activeColumn)
        : m_db(db), m_model(model), m_sequenceColumn(sequenceColumn), m_activeColumn(activeColumn)
    {
    }

    // Position p of `idsInOrder` gets sequence p and active position p. Runs in the caller's
    // transaction (the loader's), so it opens none itself.
    lum::Expected<void> setOrder(const QList<int>& idsInOrder) const;
    // In one transaction: each row of `allIds` gets its position in `activeIds` as active
    // position, or -1 when absent.
    lum::Expected<void> setActive(const QList<int>& allIds, const QList<int>& activeIds) const;
    // In one transaction: every row active again, in `sequence` order.
    lum::Expected<void> resetActive() const;
    // In one transaction: takes the item at `position` of `activeIds` out (-1) and moves each
    // later item one position up. Items before it keep their positions.
    lum::Expected<void> removeAt(const QList<int>& activeIds, int position) const;

private:
    // Runs "update ... set active = ? where id = ?" for each pair.
    lum::Expected<void> writeActive(const QList<int>& ids, const QList<int>& positions) const;

    lum::SqliteDb* m_db = nullptr;         // not owned
    const lum::DbModel* m_model = nullptr; // not owned
    int m_sequenceColumn = 0;
    int m_activeColumn = 0;
};

} // namespace rivulet
