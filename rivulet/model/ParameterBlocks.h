#pragma once

#include "lum/estimation/SoftmaxTransform.h"

#include <vector>

namespace lum {
class Func;
}

namespace rivulet {

// Free parameters (ascending) that share no term and no transform group with any other
// parameter, and the terms (ascending) they enter: a part of a model that can be fitted, and
// its covariance found, on its own.
struct ParameterBlock
{
    std::vector<int> parameters;
    std::vector<int> terms;
};

// The connected components of the free parameters, two parameters joined when they enter a
// common term or move together in the transform; in the order of their lowest parameter.
std::vector<ParameterBlock> parameterBlocks(const lum::Func& likelihood,
                                            const lum::SoftmaxTransform& transform);

// The transform of `parameters` (ascending) alone, at local positions, its groups in the order
// of their lowest member. With `held`, a parameter left out of `parameters` and held at
// `heldValue`, the group it belongs to keeps only the budget that value leaves.
lum::SoftmaxTransform blockTransform(const lum::SoftmaxTransform& transform,
                                     const std::vector<int>& parameters, int held = -1,
                                     double heldValue = 0.0);

} // namespace rivulet
