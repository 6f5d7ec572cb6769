#include "rivulet/model/ModelDefinitionItemHeading.h"

namespace rivulet {

ModelDefinitionItemHeading::ModelDefinitionItemHeading(const QString& description,
                                                       std::int32_t captureCode,
                                                       std::int32_t survivalCode)
    : ModelDefinitionItem(KindHeading, QString(), description, captureCode, survivalCode)
{
}

ModelDefinitionItemHeading::~ModelDefinitionItemHeading() = default;

} // namespace rivulet
