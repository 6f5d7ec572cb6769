#pragma once

#include "lum/core/Expected.h"

#include <QString>
#include <QVariantList>

namespace lum {
class DbModel;
class SqliteDb;
} // namespace lum

namespace rivulet {

// The find-or-insert steps the controllers share. Values are always bound.
class TableRows
{
public:
    // The first column of the first row of `sql` as an id, or -1 when no row comes back.
    static int firstId(const lum::SqliteDb& db, const QString& sql, const QVariantList& values);
    // Inserts `values` into the model's columns after the key and returns the new row's id.
    static lum::Expected<int> insert(const lum::SqliteDb& db, const lum::DbModel& model,
                                     const QVariantList& values);
};

} // namespace rivulet
