#pragma once

#include "rivulet/model/ModelDefinitionItem.h"

namespace rivulet {

// A capture-scheme heading of the catalogue: no name, the capture code of the models below it.
class ModelDefinitionHeading : public ModelDefinitionItem
{
public:
    ModelDefinitionHeading(const QString& description, std::int32_t captureCode,
                           std::int32_t survivalCode = 0);
    ~ModelDefinitionHeading() override;
};

} // namespace rivulet
