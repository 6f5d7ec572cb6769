#pragma once

#include "rivulet/summary/PathKey.h"

#include <cstdint>

namespace rivulet {

// The fish of one release (or of pooled releases) that went from site s-1 in year y1 (the
// release year for the first site below the release site) straight to site s in year y2.
// A cell at the final site stands for a lambda parameter, any other for a phi parameter.
struct TransitionCell
{
    std::int32_t site = 0;
    std::int32_t y1 = 0;
    std::int32_t y2 = 0;
    // Left out of the estimability test (no parameter to estimate on this path).
    bool exempt = false;
    // A hold-over path (y2 != y1) that no fish of this release took, though other releases did.
    bool emptyHoldOver = false;
    // Fish seen at s-1 in y1 (or released there) whose next detection was at s in y2.
    std::int64_t nextCount = 0;
    // The fish that certainly took this path on their way to a later detection. Sums over
    // releases and capture points: 64 bits, as every count summed here.
    std::int64_t testCount = 0;
    // The parameter of this path is fixed at 0 ...
    bool fixedAtZero = false;
    // ... or at 1 (fixedAtOne wins when both are set).
    bool fixedAtOne = false;

    PathKey key() const { return PathKey{site, y1, y2}; }
};

} // namespace rivulet
