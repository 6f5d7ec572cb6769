#include "rivulet/input/TagCohortTable.h"

#include "lum/db/DbModel.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/TagDbModel.h"

#include <QSqlError>

namespace rivulet {

TagCohortTable::TagCohortTable(RivuletDb& rdb) : m_rdb(rdb) {}

int TagCohortTable::prepare()
{
    lum::SqliteDb* db = m_rdb.database();
    if (!db) {
        m_lastError = QStringLiteral("The database is not open.");
        return QSqlError::ConnectionError;
    }
    const lum::DbModel* tags = m_rdb.model(RivuletDb::Tags);
    const QString id = tags->quotedColumnName(TagDbModel::Id);
    m_exists.setDatabase(*db);
    m_setCohort.setDatabase(*db);
    int error = m_exists.prepare(QStringLiteral("select ") + id + QStringLiteral(" from ") +
                                 tags->tableName() + QStringLiteral(" where ") + id +
                                 QStringLiteral(" = ?"));
    if (error == 0)
        error = m_setCohort.prepare(QStringLiteral("update ") + tags->tableName() +
                                    QStringLiteral(" set ") +
                                    tags->quotedColumnName(TagDbModel::CohortId) +
                                    QStringLiteral(" = ? where ") + id + QStringLiteral(" = ?"));
    if (error != 0)
        m_lastError = (m_exists.lastError().type() != QSqlError::NoError ? m_exists : m_setCohort)
                          .lastError()
                          .text();
    return error;
}

bool TagCohortTable::exists(const QString& tagCode)
{
    m_exists.bindText(1, tagCode);
    const bool found = m_exists.step() == lum::SqlStatement::Done && m_exists.next();
    m_exists.finish();
    return found;
}

int TagCohortTable::setCohort(const QString& tagCode, int cohortId)
{
    m_setCohort.bindInt(1, cohortId);
    m_setCohort.bindText(2, tagCode);
    if (m_setCohort.step() != lum::SqlStatement::Done) {
        m_lastError = m_setCohort.lastError().text();
        return m_setCohort.lastError().type();
    }
    return 0;
}

QString TagCohortTable::lastError() const
{
    return m_lastError;
}

} // namespace rivulet
