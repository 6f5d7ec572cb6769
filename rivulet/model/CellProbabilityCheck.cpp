#include "rivulet/model/CellProbabilityCheck.h"

#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/RivuletLikelihood.h"

#include <cmath>

namespace rivulet {

namespace {

bool isProbability(double value)
{
    return std::isfinite(value) && value >= -CellProbabilityCheck::Tolerance &&
           value <= 1.0 + CellProbabilityCheck::Tolerance;
}

bool cellHolds(const RivuletLikelihood& likelihood, const ParameterMap& parameters,
               const LikelihoodCell& cell)
{
    const int r = cell.release();
    const int a = cell.site();
    const int b = cell.year();
    const int S = cell.siteCount();
    const int Y = cell.yearCount();
    if (!isProbability(likelihood.neverSeenAgain(r, a, b))) {
        return false;
    }
    for (int y = b; y < Y; ++y) {
        for (int s = a + 1; s < S - 1; ++s) {
            if (!isProbability(likelihood.arrival(r, a, b, s, y) * parameters.capture(r, s, y))) {
                return false;
            }
        }
        if (!isProbability(likelihood.arrival(r, a, b, S - 1, y))) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CellProbabilityCheck::holds(RivuletLikelihood& likelihood, const ParameterStructure& structure,
                                 const std::vector<double>& x)
{
    likelihood(x);
    const ParameterMap parameters(structure, x);
    for (const LikelihoodCell& cell : likelihood.cells()) {
        if (cell.fishCount() > 0 && !cellHolds(likelihood, parameters, cell)) {
            return false;
        }
    }
    return true;
}

} // namespace rivulet
