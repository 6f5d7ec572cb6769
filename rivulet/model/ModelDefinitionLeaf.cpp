#include "rivulet/model/ModelDefinitionLeaf.h"

namespace rivulet {

ModelDefinitionLeaf::ModelDefinitionLeaf(const QString& name, const QString& description,
                                         const EquatingScheme& scheme)
    : ModelDefinitionItem(KindModel, name, description, scheme.captureCode, scheme.survivalCode)
{
}

ModelDefinitionLeaf::~ModelDefinitionLeaf() = default;

} // namespace rivulet
