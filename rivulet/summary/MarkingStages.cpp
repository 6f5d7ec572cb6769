#include "rivulet/summary/MarkingStages.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/summary/CellChecks.h"
#include "rivulet/summary/ObservedRouteCheck.h"
#include "rivulet/summary/SummaryState.h"

#include <cstdint>
#include <limits>

namespace rivulet::marking {

namespace {

void markCaptureAtZero(SummaryTables& tables, const CaptureKey& key)
{
    if (CaptureCell* capture = tables.capture(key))
        capture->fixedAtZero = true;
}

void fixAtZero(TransitionCell& cell)
{
    cell.exempt = true;
    cell.fixedAtZero = true;
}

// A path without fish that leads to no detection is dropped, provided the fish at its
// start still have another open path.
void markDeadEnd(const SummaryState& state, SummaryTables& tables, TransitionCell& cell)
{
    const CaptureKey arrival{cell.y2, cell.site};
    if (CellChecks::passesDownstream(tables, arrival))
        return;
    const CaptureCell* departure = tables.capture(CaptureKey{cell.y1, cell.site - 1});
    if (!departure)
        return;
    bool otherOpen = false;
    for (const PathKey& key : departure->leaving) {
        const TransitionCell* other = tables.transition(key);
        if (key != cell.key() && other && !other->exempt && !other->emptyHoldOver)
            otherOpen = true;
    }
    if (!otherOpen)
        return;
    fixAtZero(cell);
    if (cell.site != state.siteCount - 1)
        markCaptureAtZero(tables, arrival);
}

// A path from a point that no open path reaches; site by site down-river so that
// unreachability spreads in one pass. The fixing pass fixes the path and the detection at its
// unreachable departure, which no fish can inform; the arrival may be reached another way, so
// its detection stays as it is.
void markUnreachable(SummaryState& state, bool fix)
{
    for (int r = 0; r < state.releaseCount(); ++r) {
        if (!state.isModelled(r))
            continue;
        SummaryTables& tables = state.tablesOf(r);
        const SummaryRelease& release = state.release(r);
        for (int a = release.site + 1; a <= state.siteCount - 2; ++a) {
            for (int y1 = release.year; y1 < state.yearCount; ++y1) {
                const CaptureKey departure{y1, a};
                if (CellChecks::isReachable(tables, departure))
                    continue;
                if (fix)
                    markCaptureAtZero(tables, departure);
                for (int y2 = y1; y2 < state.yearCount; ++y2) {
                    TransitionCell* cell = tables.transition(PathKey{a + 1, y1, y2});
                    if (!cell || cell->exempt)
                        continue;
                    cell->exempt = true;
                    if (!fix)
                        continue;
                    cell->fixedAtZero = true;
                    cell->fixedAtOne = false;
                }
            }
        }
    }
}

// A pooled (or group) cell is exempt when it is exempt in every release that has it, and
// certain when every release that has it open passes that site unseen.
void exemptIfExemptInAll(const SummaryState& state, SummaryTables& target,
                         const std::vector<int>& members)
{
    for (auto& [key, cell] : target.transitions) {
        bool open = false;
        bool certain = true;
        for (const int r : members) {
            const TransitionCell* own = state.tablesOf(r).transition(key);
            if (own && !own->exempt) {
                open = true;
                certain = certain && own->fixedAtOne;
            }
        }
        if (!open)
            cell.exempt = true;
        else if (certain)
            cell.fixedAtOne = true;
    }
}

// Credits the fish seen at `from` and next seen at a later point (s', y') to the one
// transition cell through which every open route from `from` reaches (s', y'). Routes run
// from capture cell to capture cell over cells that are not exempt; which points a route can
// reach is worked out site by site, so the routes themselves need not be listed.
void countRoutesFrom(SummaryState& state, int r, const CaptureCell& from)
{
    SummaryTables& tables = state.tablesOf(r);
    const CountMatrix& seenNext = state.seenNextFrom(r, CaptureKey{from.year, from.site});
    const int yearCount = state.yearCount;
    const auto at = [yearCount](int site, int year) {
        return static_cast<std::size_t>(site) * static_cast<std::size_t>(yearCount) +
               static_cast<std::size_t>(year);
    };
    // reached[at(x, y)]: some open route leads from `from` to the capture cell (y, x). The
    // table is ordered by site, so every cell into site x-1 is settled before the first cell
    // out of it.
    std::vector<char> reached(at(state.siteCount, 0), 0);
    reached[at(from.site, from.year)] = 1;
    const PathKey afterFrom{from.site, std::numeric_limits<std::int32_t>::max(),
                            std::numeric_limits<std::int32_t>::max()};
    for (auto it = tables.transitions.upper_bound(afterFrom); it != tables.transitions.end();
         ++it) {
        const TransitionCell& cell = it->second;
        if (!cell.exempt && reached[at(cell.site - 1, cell.y1)] &&
            tables.capture(CaptureKey{cell.y2, cell.site}))
            reached[at(cell.site, cell.y2)] = 1;
    }
    for (int s = from.site + 1; s < state.siteCount; ++s) {
        for (int y = from.year; y < yearCount; ++y) {
            const int fish = seenNext.count(s, y);
            if (fish == 0)
                continue;
            TransitionCell* last = nullptr;
            int lastCells = 0;
            for (int y1 = 0; y1 <= y; ++y1) {
                TransitionCell* cell = tables.transition(PathKey{s, y1, y});
                if (cell && !cell->exempt && reached[at(s - 1, y1)]) {
                    last = cell;
                    ++lastCells;
                }
            }
            if (lastCells == 1)
                last->testCount += fish;
        }
    }
}

void sumTestCounts(const SummaryState& state, SummaryTables& target,
                   const std::vector<int>& members)
{
    for (auto& [key, cell] : target.transitions) {
        if (cell.exempt)
            continue;
        cell.testCount = 0;
        for (const int r : members)
            if (const TransitionCell* own = state.tablesOf(r).transition(key))
                cell.testCount += own->testCount;
    }
}

} // namespace

// Every fish of the release that went on passed its pass-through sites unseen, in the year it
// left the point above: that reach is certain, holding over into the site does not happen, and
// detection there is impossible.
void markReleasePassThroughSites(SummaryState& state)
{
    for (int r = 0; r < state.releaseCount(); ++r) {
        if (!state.isModelled(r))
            continue;
        SummaryTables& tables = state.tablesOf(r);
        for (auto& [key, cell] : tables.transitions) {
            if (!state.isPassThrough(r, cell.site))
                continue;
            if (cell.y1 == cell.y2)
                cell.fixedAtOne = true;
            else
                fixAtZero(cell);
        }
        for (auto& [key, capture] : tables.captures)
            if (state.isPassThrough(r, capture.site))
                capture.fixedAtZero = true;
    }
}

// No fish of any release took a hold-over path: it has no parameter anywhere.
void markEmptyPooledHoldOvers(SummaryState& state)
{
    for (auto& [key, cell] : state.pooled.transitions) {
        if (cell.y2 == cell.y1 || cell.exempt || cell.nextCount != 0)
            continue;
        cell.exempt = true;
        state.forCellsWithKey(key, fixAtZero);
        state.forGroupCellsWithKey(key, fixAtZero);
    }
}

void markEmptyHoldOvers(SummaryState& state)
{
    for (auto& tables : state.releaseTables)
        for (auto& entry : tables.transitions) {
            TransitionCell& cell = entry.second;
            if (cell.y2 != cell.y1 && !cell.exempt && cell.nextCount == 0)
                cell.emptyHoldOver = true;
        }
}

namespace {

// visit(tables, cell) for every first-reach cell of every modelled release: the paths from the
// release point, over the sites it passes unseen, into its first site that can see fish.
template <typename Visit>
void forEachFirstReachCell(SummaryState& state, Visit&& visit)
{
    for (int r = 0; r < state.releaseCount(); ++r) {
        if (!state.isModelled(r))
            continue;
        SummaryTables& tables = state.tablesOf(r);
        const int site = state.firstReachSite(r);
        const int b0 = state.release(r).year;
        for (int y2 = b0; y2 < state.yearCount; ++y2)
            if (TransitionCell* cell = tables.transition(PathKey{site, b0, y2}))
                visit(tables, *cell);
    }
}

} // namespace

// No fish reached the first site below the release in year y2 and none can have passed
// it unseen: the path and the detection there have no parameter.
void markFirstReach(SummaryState& state)
{
    forEachFirstReachCell(state, [&state](SummaryTables& tables, TransitionCell& cell) {
        const CaptureKey arrival{cell.y2, cell.site};
        if (cell.nextCount >= 1 || CellChecks::passesDownstream(tables, arrival))
            return;
        fixAtZero(cell);
        if (cell.site != state.siteCount - 1)
            markCaptureAtZero(tables, arrival);
    });
}

void markDeadEnds(SummaryState& state)
{
    for (int r = 0; r < state.releaseCount(); ++r) {
        SummaryTables& tables = state.tablesOf(r);
        const int firstReach = state.isModelled(r) ? state.firstReachSite(r) : state.siteCount;
        for (auto& entry : tables.transitions) {
            TransitionCell& cell = entry.second;
            if (cell.site <= firstReach || cell.exempt || cell.fixedAtOne || cell.emptyHoldOver ||
                cell.nextCount != 0)
                continue;
            markDeadEnd(state, tables, cell);
        }
    }
}

// A path without fish into a point that an open path with fish (or the direct path)
// already reaches.
void markShadowedPaths(SummaryState& state)
{
    for (auto& tables : state.releaseTables) {
        for (auto& entry : tables.transitions) {
            TransitionCell& cell = entry.second;
            if (cell.exempt || cell.fixedAtOne || cell.nextCount >= 1)
                continue;
            for (int y1 = 0; y1 <= cell.y2; ++y1) {
                const TransitionCell* other = tables.transition(PathKey{cell.site, y1, cell.y2});
                if (y1 != cell.y1 && other && !other->exempt && !other->emptyHoldOver) {
                    fixAtZero(cell);
                    break;
                }
            }
        }
    }
}

void fixUnreachablePaths(SummaryState& state)
{
    markUnreachable(state, true);
}

void markUnreachablePaths(SummaryState& state)
{
    markUnreachable(state, false);
}

void markEmptyFirstReaches(SummaryState& state)
{
    forEachFirstReachCell(state, [](SummaryTables&, TransitionCell& cell) {
        if (!cell.exempt && cell.nextCount < 1)
            cell.exempt = true;
    });
}

void markPooledExemptions(SummaryState& state)
{
    exemptIfExemptInAll(state, state.pooled, state.allModelled());
    state.forEachGroup([&state](SummaryTables& group, const std::vector<int>& members) {
        exemptIfExemptInAll(state, group, members);
    });
}

void computeTestCounts(SummaryState& state)
{
    for (int r = 0; r < state.releaseCount(); ++r) {
        for (const auto& entry : state.tablesOf(r).captures)
            if (entry.second.site < state.siteCount - 1)
                countRoutesFrom(state, r, entry.second);
    }
    sumTestCounts(state, state.pooled, state.allModelled());
    state.forEachGroup([&state](SummaryTables& group, const std::vector<int>& members) {
        sumTestCounts(state, group, members);
    });
}

// No fish tested the path, but fish went on below its arrival: they passed the site
// without being detected there, so the path is certain and the detection there impossible.
void markPooledPassThroughSites(SummaryState& state)
{
    for (auto& [key, cell] : state.pooled.transitions) {
        if (cell.exempt || cell.testCount != 0 || cell.site >= state.siteCount - 1)
            continue;
        if (!CellChecks::passesDownstream(state.pooled, CaptureKey{cell.y2, cell.site}))
            continue;
        cell.fixedAtOne = true;
        for (auto& tables : state.releaseTables) {
            if (TransitionCell* own = tables.transition(key)) {
                own->fixedAtOne = true;
                markCaptureAtZero(tables, CaptureKey{cell.y2, cell.site});
            }
        }
        state.forGroupCellsWithKey(key, [](TransitionCell& c) { c.fixedAtOne = true; });
    }
}

// Every fish that went on from the last detection site in year y was seen at the final
// site in the same year: reaching the final site in y is certain.
void markCertainFinalReach(SummaryState& state)
{
    if (state.siteCount < 2)
        return;
    const int last = state.siteCount - 2;
    const int final = state.siteCount - 1;
    const NextDetectionsI& counts = state.counts;
    for (int y = 0; y < state.yearCount; ++y) {
        long long wentOn = 0;
        bool certain = true;
        for (int r = 0; r < state.releaseCount(); ++r) {
            const SummaryRelease& release = state.release(r);
            if (release.year > y)
                continue;
            const int d = counts.releaseDetections(release.id, last, y) -
                          counts.releaseRemovals(release.id, last, y);
            const CountMatrix& next = release.site == last ? counts.releaseNextCounts(release.id)
                                                           : counts.nextCounts(release.id, last, y);
            if (next.count(final, y) < d)
                certain = false;
            wentOn += d;
        }
        if (!certain || wentOn <= 0)
            continue;
        const PathKey key{final, y, y};
        if (TransitionCell* pooledCell = state.pooled.transition(key))
            pooledCell->fixedAtOne = true;
        const auto fixAtOne = [](TransitionCell& c) { c.fixedAtOne = true; };
        state.forCellsWithKey(key, fixAtOne);
        state.forGroupCellsWithKey(key, fixAtOne);
    }
}

// No mark may deny what the fish of a release were seen doing: the detections where fish
// were seen, and some route to every point where fish were next seen, stay free.
void reopenObservedRoutes(SummaryState& state)
{
    for (int r = 0; r < state.releaseCount(); ++r) {
        if (!state.isModelled(r))
            continue;
        SummaryTables& tables = state.tablesOf(r);
        ObservedRouteCheck check(tables, state.siteCount, state.yearCount);
        check.openObservedCaptures();
        for (const auto& entry : tables.captures) {
            const CaptureKey& from = entry.first;
            if (from.site >= state.siteCount - 1)
                continue;
            check.reopenRoutesFrom(from, state.seenNextFrom(r, from));
        }
    }
}

} // namespace rivulet::marking
