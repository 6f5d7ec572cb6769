#pragma once

#include <vector>

namespace rivulet {

class ParameterStructure;
class RivuletLikelihood;

// Whether a parameter vector gives every group of fish of the likelihood a proper
// multinomial: each probability of a next detection, and of never being seen again, lies in
// [0, 1] (within a small tolerance).
//
// The likelihood uses its parameters as they stand, without bounds. A group whose fish were
// all seen again has no never-seen term, so nothing stops an optimizer from pushing its
// detection probabilities above 1 and the log-likelihood towards +infinity; such a "fit" has
// a value but no meaning, and this check is how it is told apart from an estimate.
class CellProbabilityCheck
{
public:
    static constexpr double Tolerance = 1e-6;

    // Evaluates the likelihood at x (x belongs to the structure the likelihood was made on),
    // then checks every group that holds fish.
    static bool holds(RivuletLikelihood& likelihood, const ParameterStructure& structure,
                      const std::vector<double>& x);
};

} // namespace rivulet
