#include "rivulet/input/TagCohortTable.h"

#include "lum/db/DbModel.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/TagDbModel.h"

namespace rivulet {

TagCohortTable::TagCohortTable(RivuletDb& rdb) : m_rdb(rdb) {}

lum::Expected<void> TagCohortTable::prepare()
{
    lum::SqliteDb* db = m_rdb.database();
    if (!db)
        return lum::databaseNotOpen();
    const lum::DbModel* tags = m_rdb.model(RivuletDb::Tags);
    const QString id = tags->quotedColumnName(TagDbModel::Id);
    m_exists.setDatabase(*db);
    m_setCohort.setDatabase(*db);
    lum::Expected<void> prepared = m_exists.prepare(
        QStringLiteral("select ") + id + QStringLiteral(" from ") + tags->tableName() +
        QStringLiteral(" where ") + id + QStringLiteral(" = ?"));
    if (!prepared)
        return prepared;
    return m_setCohort.prepare(QStringLiteral("update ") + tags->tableName() +
                               QStringLiteral(" set ") +
                               tags->quotedColumnName(TagDbModel::CohortId) +
                               QStringLiteral(" = ? where ") + id + QStringLiteral(" = ?"));
}

bool TagCohortTable::exists(const QString& tagCode)
{
    m_exists.bindText(1, tagCode);
    const bool found = m_exists.step() && m_exists.next();
    m_exists.finish();
    return found;
}

lum::Expected<void> TagCohortTable::setCohort(const QString& tagCode, int cohortId)
{
    m_setCohort.bindInt(1, cohortId);
    m_setCohort.bindText(2, tagCode);
    return m_setCohort.step();
}

} // namespace rivulet
