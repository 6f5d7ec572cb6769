#include "rivulet/data/TableRows.h"

#include "lum/db/DbModel.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/TableData.h"

namespace rivulet {

int TableRows::firstId(const lum::SqliteDb& db, const QString& sql, const QVariantList& values)
{
    const lum::TableData rows(db, sql, values);
    return rows.numRows() > 0 ? rows.intValue(0, 0) : -1;
}

lum::Expected<int> TableRows::insert(const lum::SqliteDb& db, const lum::DbModel& model,
                                     const QVariantList& values)
{
    lum::SqlStatement statement(db);
    if (lum::Expected<void> prepared = statement.prepare(model.insertSql()); !prepared)
        return prepared.error();
    for (int i = 0; i < values.size(); ++i)
        statement.bindValue(i, values.at(i));
    if (lum::Expected<void> stepped = statement.step(); !stepped)
        return stepped.error();
    return statement.lastInsertId();
}

} // namespace rivulet
