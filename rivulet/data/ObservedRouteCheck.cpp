#include "rivulet/data/ObservedRouteCheck.h"

#include "rivulet/data/CountMatrix.h"

#include <algorithm>
#include <iterator>
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
    : tables_(tables), siteCount_(siteCount), yearCount_(yearCount),
      reachedByAny_(at(siteCount, 0), 0), reachedByOpen_(at(siteCount, 0), 0),
      leadsToTarget_(at(siteCount, 0), 0)
{
}

std::size_t ObservedRouteCheck::at(int site, int year) const
{
    return static_cast<std::size_t>(site) * static_cast<std::size_t>(yearCount_) +
           static_cast<std::size_t>(year);
}

void ObservedRouteCheck::openObservedCaptures()
{
    for (auto& entry : tables_.captures)
        if (entry.second.count >= 1)
            entry.second.fixedAtZero = false;
}

int ObservedRouteCheck::reopenRoutesFrom(const CaptureKey& from, const CountMatrix& seenNext)
{
    int reopened = 0;
    markReachable(from);
    for (int s = from.site + 1; s < siteCount_; ++s) {
        for (int y = from.year; y < yearCount_; ++y) {
            if (seenNext.count(s, y) <= 0 || reachedByOpen_[at(s, y)] ||
                !tables_.capture(CaptureKey{y, s}))
                continue;
            const int now = reopenRoutesTo(from, CaptureKey{y, s});
            // Reopened cells may already lead to later points: look again before judging them.
            if (now > 0)
                markReachable(from);
            reopened += now;
        }
    }
    return reopened;
}

// The table is ordered by site, so every cell into site x-1 is settled before the first
// cell out of it.
void ObservedRouteCheck::markReachable(const CaptureKey& from)
{
    std::fill(reachedByAny_.begin(), reachedByAny_.end(), 0);
    std::fill(reachedByOpen_.begin(), reachedByOpen_.end(), 0);
    reachedByAny_[at(from.site, from.year)] = 1;
    reachedByOpen_[at(from.site, from.year)] = 1;
    for (auto it = tables_.transitions.upper_bound(pastSite(from.site));
         it != tables_.transitions.end(); ++it) {
        const TransitionCell& cell = it->second;
        if (!tables_.capture(CaptureKey{cell.y2, cell.site}))
            continue;
        const std::size_t departure = at(cell.site - 1, cell.y1);
        const std::size_t arrival = at(cell.site, cell.y2);
        if (reachedByAny_[departure])
            reachedByAny_[arrival] = 1;
        if (reachedByOpen_[departure] && isOpen(cell))
            reachedByOpen_[arrival] = 1;
    }
}

// Walks up-river from `to`: a cell lies on a route when its arrival leads to `to` and its
// departure is reached from `from`. Only the point `to` itself leads anywhere at its site,
// so a cell reaching that site in another year is no route.
int ObservedRouteCheck::reopenRoutesTo(const CaptureKey& from, const CaptureKey& to)
{
    if (!reachedByAny_[at(to.site, to.year)])
        return 0;
    int reopened = 0;
    std::fill(leadsToTarget_.begin(), leadsToTarget_.end(), 0);
    leadsToTarget_[at(to.site, to.year)] = 1;
    auto& transitions = tables_.transitions;
    for (auto it = std::make_reverse_iterator(transitions.upper_bound(pastSite(to.site)));
         it != transitions.rend() && it->second.site > from.site; ++it) {
        TransitionCell& cell = it->second;
        if (!leadsToTarget_[at(cell.site, cell.y2)] ||
            !tables_.capture(CaptureKey{cell.y2, cell.site}))
            continue;
        leadsToTarget_[at(cell.site - 1, cell.y1)] = 1;
        if (!reachedByAny_[at(cell.site - 1, cell.y1)] || isOpen(cell))
            continue;
        cell.fixedAtZero = false;
        ++reopened;
    }
    if (to.site != siteCount_ - 1)
        if (CaptureCell* arrival = tables_.capture(to))
            arrival->fixedAtZero = false;
    return reopened;
}

} // namespace rivulet
