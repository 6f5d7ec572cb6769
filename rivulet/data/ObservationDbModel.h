#pragma once

#include "lum/db/DbModel.h"

namespace rivulet {

// Table "observations": one row per accepted detection of a tag at a site.
class ObservationDbModel : public lum::DbModel
{
    Q_OBJECT

public:
    enum Column
    {
        Id = 0,
        TagId,
        SiteId,
        MigrationYearId,
        ObsTime,
        Disposition,
        NumColumns
    };

    explicit ObservationDbModel(QObject* parent = nullptr);
};

} // namespace rivulet
