#pragma once

#include "lum/db/DbModel.h"

namespace rivulet {

// Table "tags": one row per tagged fish, keyed by its tag code as read.
class TagDbModel : public lum::DbModel
{
    Q_OBJECT

public:
    enum Column
    {
        Id = 0,
        ReleaseId,
        CohortId,
        ReleaseTime,
        NumColumns
    };

    explicit TagDbModel(QObject* parent = nullptr);

    QList<int> indexColumns() const override;
};

} // namespace rivulet
