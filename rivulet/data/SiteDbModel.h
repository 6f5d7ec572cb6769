#pragma once

#include "lum/db/DbModel.h"

namespace rivulet {

// Table "sites": the detection and release sites that occur in the data.
class SiteDbModel : public lum::DbModel
{
    Q_OBJECT

public:
    enum Column
    {
        Id = 0,
        ShortName,
        LongName,
        Code,
        Sequence,
        ActiveSequence,
        NumColumns
    };

    explicit SiteDbModel(QObject* parent = nullptr);
};

} // namespace rivulet
