#pragma once

#include "rivulet/summary/SummaryTables.h"

#include <vector>

namespace rivulet {

class CountMatrix;

// Keeps the marks of one release's tables consistent with what its fish were seen doing.
// The marking stages fix paths and detections at 0 from counts alone; where release sites
// lie in series (a release passes release sites below it, which detect nothing) and fish
// held over above their first detection site, those stages can close every route to a point
// where fish of the release were in fact detected, which makes the likelihood infinite at
// every parameter vector. This check reopens exactly such routes:
//  - a capture cell with count >= 1 is never fixed at 0 (fish were detected there);
//  - for fish seen at a point and next seen at a later point (s', y'), when no route of
//    cells not fixed at 0 leads there, one route is reopened: the one that needs the fewest
//    cells freed (fixedAtZero cleared), and among those the one with the fewest hold-overs.
//    The capture at (y', s') is reopened too unless s' is the final site. Captures passed on
//    the way keep their marks: fish pass an undetecting site unseen. A reopened cell keeps its
//    exemption: the test counts were computed without it, and no fish certainly took it.
// Reopening a single route keeps the other closed paths fixed, so the parameters stay apart.
// A route is a chain of transition cells, each leaving the capture cell the previous one
// arrived at, through points at sites before s', whose last cell arrives at (y', s'). A cell
// fixed both at 0 and at 1 counts as open (being fixed at 1 wins). Nothing changes where
// every observed point is still reachable.
class ObservedRouteCheck
{
public:
    ObservedRouteCheck(SummaryTables& tables, int siteCount, int yearCount);

    // Clears fixedAtZero of every capture cell with count >= 1.
    void openObservedCaptures();

    // seenNext: where the fish seen at `from` (the release point or a later capture cell)
    // were next detected, by site and year. Returns how many transition cells it reopened.
    int reopenRoutesFrom(const CaptureKey& from, const CountMatrix& seenNext);

private:
    // Closed cells to free, then hold-overs taken, on the best route found to a point.
    struct RouteCost
    {
        int closed = 0;
        int holdOvers = 0;
        bool operator<(const RouteCost& o) const
        {
            return closed != o.closed ? closed < o.closed : holdOvers < o.holdOvers;
        }
    };

    std::size_t at(int site, int year) const;
    static bool isOpen(const TransitionCell& cell) { return cell.fixedAtOne || !cell.fixedAtZero; }
    void findRoutes(const CaptureKey& from);
    int reopenRouteTo(const CaptureKey& from, const CaptureKey& to);

    SummaryTables& m_tables;
    int m_siteCount = 0;
    int m_yearCount = 0;
    // By point (site, year), from the departing point: whether some route leads there, the
    // cost of the best one and its last cell.
    std::vector<char> m_reached;
    std::vector<RouteCost> m_cost;
    std::vector<PathKey> m_via;
};

} // namespace rivulet
