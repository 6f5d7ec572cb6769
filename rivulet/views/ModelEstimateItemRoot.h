#pragma once

#include "rivulet/views/ModelEstimateItem.h"

namespace rivulet {

// The top of the model tree: no code, no text; its column values are the table's titles.
class ModelEstimateItemRoot final : public ModelEstimateItem
{
public:
    ModelEstimateItemRoot();
    ~ModelEstimateItemRoot() override;
};

} // namespace rivulet
