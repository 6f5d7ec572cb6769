#pragma once

#include "lum/db/DbModel.h"

namespace rivulet {

// Table "releases": one row per pair of release site and release year in the data.
class ReleaseDbModel : public lum::DbModel
{
    Q_OBJECT

public:
    enum Column
    {
        Id = 0,
        ReleaseSiteId,
        ReleaseYearId,
        Sequence,
        ActiveSequence,
        NumColumns
    };

    explicit ReleaseDbModel(QObject* parent = nullptr);

    QList<int> indexColumns() const override;
};

} // namespace rivulet
