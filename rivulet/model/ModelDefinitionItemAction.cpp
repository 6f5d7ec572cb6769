#include "rivulet/model/ModelDefinitionItemAction.h"

namespace rivulet {

ModelDefinitionItemAction::ModelDefinitionItemAction(const QString& name,
                                                     const QString& description,
                                                     const EquatingScheme& scheme)
    : ModelDefinitionItem(KindModel, name, description, scheme.captureCode, scheme.survivalCode)
{
}

ModelDefinitionItemAction::~ModelDefinitionItemAction() = default;

} // namespace rivulet
