#pragma once

#include <QString>

#include <vector>

namespace rivulet {

class ParameterStructure;

// Whether estimates are proper probabilities: every parameter in [0, 1], and every set of
// movement probabilities out of one point (ProbabilitySet), fixed members included, adding up
// to at most 1. The estimates come out of the model's transform, which guarantees both, so a
// violation is a fault of the program, not of the data, and is reported as such.
class ParameterBoundsCheck
{
public:
    // Room for the rounding of a sum of a few probabilities.
    static constexpr double Tolerance = 1e-12;

    // Empty when x (the structure's free parameter vector) holds; otherwise what is wrong,
    // naming the first parameter or set that breaks the bounds.
    static QString violation(const ParameterStructure& structure, const std::vector<double>& x);
};

} // namespace rivulet
