#pragma once

#include "rivulet/data/SummaryTables.h"

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
//    cells not fixed at 0 leads there, every cell fixed at 0 on any route there is reopened
//    (fixedAtZero cleared), and so is the capture at (y', s') unless s' is the
//    final site. Captures passed on the way keep their marks: fish pass an undetecting site
//    unseen. A reopened cell keeps its exemption: the test counts were computed without it,
//    and no fish certainly took it.
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
    std::size_t at(int site, int year) const;
    static bool isOpen(const TransitionCell& cell) { return cell.fixedAtOne || !cell.fixedAtZero; }
    void markReachable(const CaptureKey& from);
    int reopenRoutesTo(const CaptureKey& from, const CaptureKey& to);

    SummaryTables& tables_;
    int siteCount_ = 0;
    int yearCount_ = 0;
    // By point (site, year): some route over any cells / over open cells leads there from
    // the departing point; some route leads from there to the destination.
    std::vector<char> reachedByAny_;
    std::vector<char> reachedByOpen_;
    std::vector<char> leadsToTarget_;
};

} // namespace rivulet
