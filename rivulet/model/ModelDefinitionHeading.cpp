#include "rivulet/model/ModelDefinitionHeading.h"

namespace rivulet {

ModelDefinitionHeading::ModelDefinitionHeading(const QString& description, std::int32_t captureCode,
                                               std::int32_t survivalCode)
    : ModelDefinitionItem(KindHeading, QString(), description, captureCode, survivalCode)
{
}

ModelDefinitionHeading::~ModelDefinitionHeading() = default;

} // namespace rivulet
