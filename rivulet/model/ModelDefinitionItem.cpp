#include "rivulet/model/ModelDefinitionItem.h"

namespace rivulet {

ModelDefinitionItem::ModelDefinitionItem(std::int32_t kind, const QString& name,
                                         const QString& description, std::int32_t captureCode,
                                         std::int32_t survivalCode)
    : m_kind(kind), m_name(name), m_description(description), m_captureCode(captureCode),
      m_survivalCode(survivalCode)
{
}

ModelDefinitionItem::~ModelDefinitionItem() = default;

} // namespace rivulet
