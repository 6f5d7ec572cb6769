#include "rivulet/reports/ModelEstimateItemRoot.h"

namespace rivulet {

ModelEstimateItemRoot::ModelEstimateItemRoot()
    : ModelEstimateItem(QString(), QString(), QString(), EquatingScheme{})
{
}

ModelEstimateItemRoot::~ModelEstimateItemRoot() = default;

} // namespace rivulet
