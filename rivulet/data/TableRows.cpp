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

int TableRows::insert(const lum::SqliteDb& db, const lum::DbModel& model,
                      const QVariantList& values)
{
    lum::SqlStatement statement(db);
    // The statement's failure becomes the database's last error, which the callers report.
    if (statement.prepare(model.insertSql()) != 0) {
        db.noteError(statement.lastError());
        return -1;
    }
    for (int i = 0; i < values.size(); ++i)
        statement.bindValue(i, values.at(i));
    if (statement.step() != lum::SqlStatement::Done) {
        db.noteError(statement.lastError());
        return -1;
    }
    return statement.lastInsertId();
}

} // namespace rivulet
