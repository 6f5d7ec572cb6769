#pragma once

#include "rivulet/model/ParameterEntry.h"

#include <cstdint>
#include <vector>

namespace rivulet {

class ParameterStructure;

// Parameters of one release that share one unit of probability: the fish of the release that
// were at one point (site s-1 in year y1) either move on in one of the years y2 = y1 .. Y-1
// (phi over y2, or lambda over y2 for the final reach) or are lost, so the members' sum is at
// most 1. A capture probability is a set of its own.
struct ProbabilitySet
{
    ParameterEntry first;                  // the member with the smallest y2, for messages
    std::vector<int> cells;                // every member's structure cell, fixed ones too
    std::vector<std::int32_t> freeIndices; // free positions of the free members
    double fixedSum = 0.0;                 // the sum of the fixed members' values
};

// The sets of every release of the structure's index space, in numbering order. Sets whose
// members are all fixed are included (they constrain nothing that can move).
std::vector<ProbabilitySet> probabilitySets(const ParameterStructure& structure);

} // namespace rivulet
