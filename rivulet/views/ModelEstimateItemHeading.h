#pragma once

#include "rivulet/views/ModelEstimateItem.h"

namespace rivulet {

// A capture-scheme heading: its catalogue text and key, the models below it as children.
class ModelEstimateItemHeading final : public ModelEstimateItem
{
public:
    ModelEstimateItemHeading(const QString& text, const EquatingScheme& key);
    ~ModelEstimateItemHeading() override;
};

} // namespace rivulet
