#include "rivulet/model/ModelDefinitionItem.h"

namespace rivulet {

ModelDefinitionItem::ModelDefinitionItem(std::int32_t kind, const QString& name,
                                         const QString& description, std::int32_t captureCode,
                                         std::int32_t survivalCode)
    : kind_(kind), name_(name), description_(description), captureCode_(captureCode),
      survivalCode_(survivalCode)
{
}

ModelDefinitionItem::~ModelDefinitionItem() = default;

} // namespace rivulet
