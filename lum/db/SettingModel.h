#pragma once

#include "lum/db/DbModel.h"

namespace lum {

// Table "settings": the key/value settings that travel with the database.
class SettingModel : public DbModel
{
    Q_OBJECT

public:
    enum Column
    {
        Id = 0,
        Key,
        Position,
        Value,
        NumColumns
    };
    static constexpr int Kind = 4;

    explicit SettingModel(QObject* parent = nullptr);

    int modelKind() const override;
};

} // namespace lum
