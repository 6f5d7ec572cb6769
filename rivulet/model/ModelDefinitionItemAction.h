#pragma once

#include "rivulet/model/ModelDefinitionItem.h"

namespace rivulet {

// A model of the catalogue that can be fitted: its short name, description and scheme.
class ModelDefinitionItemAction : public ModelDefinitionItem
{
public:
    ModelDefinitionItemAction(const QString& name, const QString& description,
                              const EquatingScheme& scheme);
    ~ModelDefinitionItemAction() override;
};

} // namespace rivulet
