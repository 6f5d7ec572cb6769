#pragma once

#include "lum/db/DbModel.h"

namespace rivulet {

// Table "years": the migration years.
class YearDbModel : public lum::DbModel
{
    Q_OBJECT

public:
    enum Column
    {
        Id = 0,
        Year,
        BeginDate,
        EndDate,
        Sequence,
        ActiveSequence,
        NumColumns
    };

    explicit YearDbModel(QObject* parent = nullptr);
};

} // namespace rivulet
