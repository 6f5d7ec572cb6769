#pragma once

#include "lum/db/SqlStatement.h"

#include <QString>

namespace rivulet {

class RivuletDb;

// The two statements the age data loader runs on the table "tags", prepared once on the
// calling thread's connection. Tag codes are bound, so they are compared exactly as text.
class TagCohortTable
{
public:
    explicit TagCohortTable(RivuletDb& rdb);

    lum::Expected<void> prepare();
    bool exists(const QString& tagCode);
    lum::Expected<void> setCohort(const QString& tagCode, int cohortId);

private:
    RivuletDb& m_rdb;
    lum::SqlStatement m_exists;
    lum::SqlStatement m_setCohort;
};

} // namespace rivulet
