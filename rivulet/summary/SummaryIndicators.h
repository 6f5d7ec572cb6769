#pragma once

namespace rivulet {

struct SummaryState;

// Whether no unfixed cell without fish remains at each level of pooling: every release on
// its own, every release-year group, every release-site group, all releases pooled.
struct SummaryIndicators
{
    bool eachRelease = true;
    bool firstGroup = true;
    bool secondGroup = true;
    bool pooled = true;

    // Sets the indicator of every set of tables of the state and gathers them.
    static SummaryIndicators compute(SummaryState& state);
};

} // namespace rivulet
