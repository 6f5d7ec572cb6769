#pragma once

namespace rivulet {

struct SummaryState;

// The marks the release summary puts on its cells, one function per kind of mark. Each reads
// the marks the ones before it left, so ReleaseSummary::update() runs them in a fixed order;
// within a function the cells of a table are visited in key order (site, then y1, then y2),
// which matters where one mark depends on another cell's mark (dead ends).
namespace marking {

using Stage = void (*)(SummaryState&);

// Paths into the sites a release passes unseen: certain in the year the fish left the point
// above, closed as hold-overs; detection there impossible.
void markReleasePassThroughSites(SummaryState& state);
// Hold-over paths that no fish of any release took.
void markEmptyPooledHoldOvers(SummaryState& state);
// Hold-over paths that no fish of the release took, though other releases did.
void markEmptyHoldOvers(SummaryState& state);
// Reaches of the first site below the release that no fish made.
void markFirstReach(SummaryState& state);
// Paths without fish that lead to no detection, when the fish had another way on.
void markDeadEnds(SummaryState& state);
// Paths without fish into a point that an open path already reaches.
void markShadowedPaths(SummaryState& state);
// Paths out of points no open path reaches: exempt and fixed, with the detection there...
void fixUnreachablePaths(SummaryState& state);
// ... and, after the empty first reaches, exempt only.
void markUnreachablePaths(SummaryState& state);
// Reaches of the first site below the release that no fish made, left out of the test.
void markEmptyFirstReaches(SummaryState& state);
// Pooled and group cells that every release has exempt, or has certain.
void markPooledExemptions(SummaryState& state);
// The fish that certainly took each path, per release, summed over the pooled and groups.
void computeTestCounts(SummaryState& state);
// Pooled paths no fish tested though fish went on below: the site was passed unseen.
void markPooledPassThroughSites(SummaryState& state);
// Reaches of the final site that every fish going on made in the same year.
void markCertainFinalReach(SummaryState& state);
// Frees what the marks above denied although fish were seen doing it (ObservedRouteCheck).
void reopenObservedRoutes(SummaryState& state);

} // namespace marking
} // namespace rivulet
