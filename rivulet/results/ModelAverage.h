#pragma once

#include "rivulet/results/QuantityRow.h"

#include <vector>

namespace rivulet {

// Estimates averaged over a set of models by their Akaike weights w (Burnham and Anderson
// 2002): θ̄ = Σ wᵢ θᵢ with the unconditional standard error
// sqrt(Σ wᵢ (seᵢ² + (θᵢ − θ̄)²)) (their eq. 4.9). Only the quantities that every model has
// are averaged, in the order of the first model; one a model lacks is left out, not counted
// as zero. The standard error is missing when a model has none for the quantity.
class ModelAverage
{
public:
    struct Model
    {
        std::vector<QuantityRow> rows;
        double weight = 0.0;
    };

    static std::vector<QuantityRow> average(const std::vector<Model>& models);
};

} // namespace rivulet
