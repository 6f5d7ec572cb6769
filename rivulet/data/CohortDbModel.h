#pragma once

#include "lum/db/DbModel.h"

namespace rivulet {

// Table "cohorts": the cohorts given by the age data; at most one is active.
class CohortDbModel : public lum::DbModel
{
    Q_OBJECT

public:
    enum Column
    {
        Id = 0,
        Cohort,
        Active,
        NumColumns
    };

    explicit CohortDbModel(QObject* parent = nullptr);
};

} // namespace rivulet
