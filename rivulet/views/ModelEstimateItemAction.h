#pragma once

#include "rivulet/views/ModelEstimateItem.h"

namespace rivulet {

// A model of the catalogue: its code (for example "M.ys.2A"), its text, the full description
// (heading text, ", ", model text) and its key; the result record once it was fitted.
class ModelEstimateItemAction final : public ModelEstimateItem
{
public:
    ModelEstimateItemAction(const QString& code, const QString& text,
                            const QString& fullDescription, const EquatingScheme& key);
    ~ModelEstimateItemAction() override;
};

} // namespace rivulet
