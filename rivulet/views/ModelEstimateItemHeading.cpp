#include "rivulet/views/ModelEstimateItemHeading.h"

namespace rivulet {

ModelEstimateItemHeading::ModelEstimateItemHeading(const QString& text, const EquatingScheme& key)
    : ModelEstimateItem(QString(), text, QString(), key)
{
}

ModelEstimateItemHeading::~ModelEstimateItemHeading() = default;

} // namespace rivulet
