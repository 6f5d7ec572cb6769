#pragma once

#include "lum/core/Expected.h"
#include "rivulet/data/RivuletDb.h"

#include <QList>

namespace rivulet {

// The cohorts given by the age data, ordered by cohort number, and the one cohort (if any)
// the analysis is restricted to. The lists are read again on first use after every change, so
// readers always see the table as it is.
class CohortsController
{
public:
    explicit CohortsController(RivuletDb& rdb = RivuletDb::instance()) : m_rdb(rdb) {}

    void refresh() const;

    QList<int> cohortIds() const;
    QList<int> cohortNumbers() const;
    // 1 for the cohort the analysis is restricted to, else 0.
    QList<int> activeFlags() const;

    // The id of the cohort with that number, adding it (inactive) when it is new. -1 when the
    // write fails.
    lum::Expected<int> cohortId(int cohortNumber);
    // The id of the first active cohort in cohort order, or -1 when none is active.
    int activeCohortId() const;
    // Restricts the analysis to that cohort alone. A database error when the change was not
    // stored (nothing changed then).
    lum::Expected<void> setActiveCohort(int cohortId);
    // No cohort restriction; fails as setActiveCohort does.
    lum::Expected<void> clearActiveCohort();

private:
    lum::SqliteDb* db() const { return m_rdb.database(); }
    const lum::DbModel* model() const { return m_rdb.model(RivuletDb::Cohorts); }
    void ensureFresh() const;

    RivuletDb& m_rdb;
    // A cache of the table: filled on demand by the const readers.
    mutable QList<int> m_cohortIds;
    mutable QList<int> m_cohortNumbers;
    mutable QList<int> m_activeFlags;
    mutable bool m_stale = true;
};

} // namespace rivulet
