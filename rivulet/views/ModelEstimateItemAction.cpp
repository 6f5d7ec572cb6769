#include "rivulet/views/ModelEstimateItemAction.h"

namespace rivulet {

ModelEstimateItemAction::ModelEstimateItemAction(const QString& code, const QString& text,
                                                 const QString& fullDescription,
                                                 const EquatingScheme& key)
    : ModelEstimateItem(code, text, fullDescription, key)
{
}

ModelEstimateItemAction::~ModelEstimateItemAction() = default;

} // namespace rivulet
