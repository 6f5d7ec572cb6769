#pragma once

#include "rivulet/model/EquatingScheme.h"

#include <QString>

#include <cstdint>

namespace rivulet {

// One row of the model catalogue as shown in the model tree: either a capture-scheme
// heading or a model below it. Immutable once made.
class ModelDefinitionItem
{
public:
    static constexpr std::int32_t KindModel = 0;
    static constexpr std::int32_t KindHeading = 4;

    virtual ~ModelDefinitionItem();

    std::int32_t kind() const { return m_kind; }
    bool isHeading() const { return m_kind == KindHeading; }
    const QString& name() const { return m_name; }
    const QString& description() const { return m_description; }
    std::int32_t captureCode() const { return m_captureCode; }
    std::int32_t survivalCode() const { return m_survivalCode; }
    EquatingScheme scheme() const { return {m_captureCode, m_survivalCode}; }

protected:
    ModelDefinitionItem(std::int32_t kind, const QString& name, const QString& description,
                        std::int32_t captureCode, std::int32_t survivalCode);

private:
    std::int32_t m_kind = KindModel;
    QString m_name;
    QString m_description;
    std::int32_t m_captureCode = 0;
    std::int32_t m_survivalCode = 0;
};

} // namespace rivulet
