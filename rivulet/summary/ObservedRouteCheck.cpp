#include "rivulet/summary/ObservedRouteCheck.h"

#include "rivulet/counts/CountMatrix.h"

#include <algorithm>
#include <limits>

namespace rivulet {

namespace {

// The first key after every cell into `site`.
PathKey pastSite(int site)
{
    return PathKey{site, std::numeric_limits<std::int32_t>::max(),
                   std::numeric_limits<std::int32_t>::max()};
}

} // namespace

ObservedRouteCheck::ObservedRouteCheck(SummaryTables& tables, int siteCount, int yearCount)
    : m_tables(tables), m_siteCount(siteCount), m_yearCount(yearCount),
      m_reached(at(siteCount, 0), 0), m_cost(at(siteCount, 0)), m_via(at(siteCount, 0))
{
}

std::size_t ObservedRouteCheck::at(int site, int year) const
{
    return static_cast<std::size_t>(site) * static_cast<std::size_t>(m_yearCount) +
           static_cast<std::size_t>(year);
}

void ObservedRouteCheck::openObservedCaptures()
{
    for (auto& entry : m_tables.captures)
        if (entry.second.count >= 1)
            entry.second.fixedAtZero = false;
}

int ObservedRouteCheck::reopenRoutesFrom(const CaptureKey& from, const CountMatrix& seenNext)
{
    int reopened = 0;
    findRoutes(from);
    for (int s = from.site + 1; s < m_siteCount; ++s) {
        for (int y = from.year; y < m_yearCount; ++y) {
            const std::size_t target = at(s, y);
            if (seenNext.count(s, y) <= 0 || !m_reached[target] || m_cost[target].closed == 0 ||
                !m_tables.capture(CaptureKey{y, s}))
                continue;
            const int now = reopenRouteTo(from, CaptureKey{y, s});
            // Reopened cells may already lead to later points: look again before judging them.
            if (now > 0)
                findRoutes(from);
            reopened += now;
        }
    }
    return reopened;
}

// The table is ordered by site, so every cell into site x-1 is settled before the first
// cell out of it, and one pass finds the best route to every point.
void ObservedRouteCheck::findRoutes(const CaptureKey& from)
{
    std::fill(m_reached.begin(), m_reached.end(), 0);
    m_reached[at(from.site, from.year)] = 1;
    m_cost[at(from.site, from.year)] = RouteCost{};
    for (auto it = m_tables.transitions.upper_bound(pastSite(from.site));
         it != m_tables.transitions.end(); ++it) {
        const TransitionCell& cell = it->second;
        const std::size_t departure = at(cell.site - 1, cell.y1);
        if (!m_reached[departure] || !m_tables.capture(CaptureKey{cell.y2, cell.site}))
            continue;
        RouteCost cost = m_cost[departure];
        cost.closed += isOpen(cell) ? 0 : 1;
        cost.holdOvers += cell.y2 != cell.y1 ? 1 : 0;
        const std::size_t arrival = at(cell.site, cell.y2);
        if (!m_reached[arrival] || cost < m_cost[arrival]) {
            m_reached[arrival] = 1;
            m_cost[arrival] = cost;
            m_via[arrival] = cell.key();
        }
    }
}

// Walks the best route back from `to`, freeing its closed cells.
int ObservedRouteCheck::reopenRouteTo(const CaptureKey& from, const CaptureKey& to)
{
    int reopened = 0;
    int site = to.site;
    int year = to.year;
    while (site != from.site || year != from.year) {
        TransitionCell* cell = m_tables.transition(m_via[at(site, year)]);
        if (!cell)
            break;
        if (!isOpen(*cell)) {
            cell->fixedAtZero = false;
            ++reopened;
        }
        site = cell->site - 1;
        year = cell->y1;
    }
    if (to.site != m_siteCount - 1)
        if (CaptureCell* arrival = m_tables.capture(to))
            arrival->fixedAtZero = false;
    return reopened;
}

} // namespace rivulet
