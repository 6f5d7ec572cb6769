#include "rivulet/summary/SummaryIndicators.h"

#include "rivulet/summary/CellChecks.h"
#include "rivulet/summary/SummaryState.h"

namespace rivulet {

namespace {

// Sets the indicator of each set of tables; true when every one is estimable.
template <typename Range, typename TablesOf>
bool allEstimable(Range& range, TablesOf tablesOf)
{
    bool all = true;
    for (auto& entry : range) {
        SummaryTables& tables = tablesOf(entry);
        tables.estimable = CellChecks::isEstimable(tables);
        all = all && tables.estimable;
    }
    return all;
}

} // namespace

SummaryIndicators SummaryIndicators::compute(SummaryState& state)
{
    const auto itself = [](SummaryTables& tables) -> SummaryTables& { return tables; };
    const auto group = [](auto& entry) -> SummaryTables& { return entry.second; };
    SummaryIndicators indicators;
    indicators.eachRelease = allEstimable(state.releaseTables, itself);
    indicators.firstGroup = allEstimable(state.yearGroups, group);
    indicators.secondGroup = allEstimable(state.siteGroups, group);
    state.pooled.estimable = CellChecks::isEstimable(state.pooled);
    indicators.pooled = state.pooled.estimable;
    return indicators;
}

} // namespace rivulet
