#pragma once

namespace rivulet {

struct SummaryState;

// Lays out the cells of the release summary before any mark: every release's transition and
// capture cells with their counts, the pooled tables and, when there are groups, the tables of
// each group. Transitions come first everywhere, since the capture cells list the transition
// cells that arrive at and leave them.
class SummaryTableBuilder
{
public:
    explicit SummaryTableBuilder(SummaryState& state) : m_state(state) {}

    void build(bool withGroups);

private:
    void buildReleaseTransitions();
    void poolTransitions();
    void buildGroupTransitions();
    void buildReleaseCaptures();
    void poolCaptures();
    void buildGroupCaptures();

    SummaryState& m_state;
};

} // namespace rivulet
