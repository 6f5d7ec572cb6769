#pragma once

#include "rivulet/model/ModelDefinitionItem.h"

namespace rivulet {

// A model of the catalogue that can be fitted: its short name, description and scheme.
class ModelDefinitionLeaf : public ModelDefinitionItem
{
public:
    ModelDefinitionLeaf(const QString& name, const QString& description,
                        const EquatingScheme& scheme);
    ~ModelDefinitionLeaf() override;
};

} // namespace rivulet
