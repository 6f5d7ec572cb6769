#include "rivulet/views/ModelEstimateItemRoot.h"

namespace rivulet {

ModelEstimateItemRoot::ModelEstimateItemRoot()
    : ModelEstimateItem(QString(), QString(), QString(), EquatingScheme{})
{
}

ModelEstimateItemRoot::~ModelEstimateItemRoot() = default;

} // namespace rivulet
