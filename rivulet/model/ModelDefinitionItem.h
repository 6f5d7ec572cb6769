#pragma once

#include "rivulet/model/EquatingScheme.h"

#include <QString>

#include <cstdint>

namespace rivulet {

// One row of the model catalogue as shown in the model tree: either a capture-scheme
// heading or a model below it. Immutable once made.
class ModelDefinitionItem
{
public:
    static constexpr std::int32_t KindModel = 0;
    static constexpr std::int32_t KindHeading = 4;

    virtual ~ModelDefinitionItem();

    std::int32_t kind() const { return kind_; }
    bool isHeading() const { return kind_ == KindHeading; }
    const QString& name() const { return name_; }
    const QString& description() const { return description_; }
    std::int32_t captureCode() const { return captureCode_; }
    std::int32_t survivalCode() const { return survivalCode_; }
    EquatingScheme scheme() const { return {captureCode_, survivalCode_}; }

protected:
    ModelDefinitionItem(std::int32_t kind, const QString& name, const QString& description,
                        std::int32_t captureCode, std::int32_t survivalCode);

private:
    std::int32_t kind_ = KindModel;
    QString name_;
    QString description_;
    std::int32_t captureCode_ = 0;
    std::int32_t survivalCode_ = 0;
};

} // namespace rivulet
