#include "rivulet/summary/CellChecks.h"

namespace rivulet {

namespace {

// Depth-first down-river; each capture cell is decided once per question, so the search
// stays linear in the number of cells however many paths there are.
class DownstreamSearch
{
public:
    explicit DownstreamSearch(const SummaryTables& tables) : m_tables(tables) {}

    bool passes(const CaptureKey& key)
    {
        const auto known = m_decided.find(key);
        if (known != m_decided.end())
            return known->second;
        const bool result = search(key);
        m_decided.emplace(key, result);
        return result;
    }

private:
    bool search(const CaptureKey& key)
    {
        const CaptureCell* capture = m_tables.capture(key);
        if (!capture)
            return false;
        for (const PathKey& leavingKey : capture->leaving) {
            const TransitionCell* cell = m_tables.transition(leavingKey);
            if (!cell || cell->exempt || cell->emptyHoldOver)
                continue;
            const CaptureKey arrivalKey{cell->y2, cell->site};
            const CaptureCell* arrival = m_tables.capture(arrivalKey);
            if (!arrival)
                continue;
            if (arrival->count > 0 || passes(arrivalKey))
                return true;
        }
        return false;
    }

    const SummaryTables& m_tables;
    std::map<CaptureKey, bool> m_decided;
};

} // namespace

bool CellChecks::isReachable(const SummaryTables& tables, const CaptureKey& key)
{
    const CaptureCell* capture = tables.capture(key);
    if (!capture)
        return false;
    for (const PathKey& arrivingKey : capture->arriving) {
        const TransitionCell* cell = tables.transition(arrivingKey);
        if (cell && !cell->exempt)
            return true;
    }
    return false;
}

bool CellChecks::passesDownstream(const SummaryTables& tables, const CaptureKey& key)
{
    return DownstreamSearch(tables).passes(key);
}

bool CellChecks::isEstimable(const SummaryTables& tables)
{
    for (const auto& entry : tables.transitions) {
        const TransitionCell& cell = entry.second;
        if (!cell.exempt && !cell.fixedAtOne && cell.testCount == 0)
            return false;
    }
    for (const auto& entry : tables.captures) {
        const CaptureCell& capture = entry.second;
        if (capture.arriving.isEmpty() || capture.count < 1)
            continue;
        bool allExempt = true;
        for (const PathKey& arrivingKey : capture.arriving) {
            const TransitionCell* cell = tables.transition(arrivingKey);
            if (cell && !cell->exempt)
                allExempt = false;
        }
        if (allExempt)
            return false;
    }
    return true;
}

} // namespace rivulet
