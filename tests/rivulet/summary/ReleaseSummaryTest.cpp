#include "ReleaseSummaryFixture.h"

#include <gtest/gtest.h>

using namespace rivulet;
using namespace rivulet::test;

namespace {

TEST(ReleaseSummary, WithoutReleasesEverythingIsEmptyAndEstimable)
{
    SummaryData d(4, 2);
    const ReleaseSummary& s = d.update();
    EXPECT_EQ(s.releaseCount(), 0);
    EXPECT_TRUE(s.pooledTransitionCells().empty());
    EXPECT_TRUE(s.pooledCaptureCells().empty());
    EXPECT_TRUE(s.yearGroupKeys().isEmpty());
    EXPECT_TRUE(s.siteGroupKeys().isEmpty());
    EXPECT_TRUE(s.eachReleaseEstimable());
    EXPECT_TRUE(s.firstGroupEstimable());
    EXPECT_TRUE(s.secondGroupEstimable());
    EXPECT_TRUE(s.pooledEstimable());
    EXPECT_TRUE(s.transitionCells(ReleasePos{0}).empty());
    EXPECT_FALSE(s.releaseEstimable(ReleasePos{0}));
}

TEST(ReleaseSummary, BuildsCellsAndCapturesFromTheCounts)
{
    SummaryData d(4, 2);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 7, {{1, 0, 1}, {2, 1, 1}, {3, 1, 1}});
    d.data.addTags(r, 3, {{2, 0, 2}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& cells = s.transitionCells(ReleasePos{0});

    // First reach from the release, then every (s, y1, y2) with y1 <= y2 below it.
    EXPECT_EQ(cells.size(), 2u + 3u + 3u);
    EXPECT_EQ(cellOf(cells, 1, 0, 0).nextCount, 7);
    EXPECT_EQ(cellOf(cells, 1, 0, 1).nextCount, 0);
    EXPECT_EQ(cellOf(cells, 2, 0, 1).nextCount, 7);
    EXPECT_EQ(cellOf(cells, 3, 1, 1).nextCount, 7);
    EXPECT_EQ(cells.count(PathKey{1, 1, 1}), 0u); // no first reach from a later year

    // The release point and every point below it, with what arrives and what leaves.
    const CaptureTable& captures = s.captureCells(ReleasePos{0});
    EXPECT_EQ(captures.size(), 1u + 3u * 2u);
    const CaptureCell& start = captureOf(captures, 0, 0);
    EXPECT_EQ(start.leaving, (QVector<PathKey>{{1, 0, 0}, {1, 0, 1}}));
    EXPECT_TRUE(start.arriving.isEmpty());
    const CaptureCell& site2 = captureOf(captures, 1, 2);
    EXPECT_EQ(site2.arriving, (QVector<PathKey>{{2, 0, 1}, {2, 1, 1}}));
    EXPECT_EQ(site2.leaving, (QVector<PathKey>{{3, 1, 1}}));
    EXPECT_EQ(site2.count, 7);
    EXPECT_EQ(captureOf(captures, 0, 2).count, 3);
    EXPECT_EQ(captureOf(captures, 0, 2).removals, 3);
    EXPECT_EQ(s.releaseSite(ReleasePos{0}), 0);
    EXPECT_EQ(s.releaseYear(ReleasePos{0}), 0);
}

TEST(ReleaseSummary, FishSeenOnlyAtTheirFirstSiteLeaveAnUntestedPathBelow)
{
    SummaryData d(4, 1);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 10, {{1, 0, 1}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& cells = s.transitionCells(ReleasePos{0});

    EXPECT_EQ(cellOf(cells, 1, 0, 0).nextCount, 10);
    EXPECT_EQ(cellOf(cells, 2, 0, 0).nextCount, 0);
    EXPECT_EQ(cellOf(cells, 3, 0, 0).nextCount, 0);
    // No other open path leaves site 1, so the empty path is no dead end: it stays open and
    // nothing tests it.
    EXPECT_EQ(marks(cellOf(cells, 2, 0, 0)), "");
    EXPECT_EQ(marks(cellOf(cells, 3, 0, 0)), "");
    EXPECT_EQ(cellOf(cells, 1, 0, 0).testCount, 10);
    EXPECT_EQ(cellOf(cells, 2, 0, 0).testCount, 0);
    EXPECT_FALSE(s.releaseEstimable(ReleasePos{0}));
    EXPECT_FALSE(s.eachReleaseEstimable());
    EXPECT_FALSE(s.pooledEstimable());
}

// Two releases at one site in one year; one migrates at once, the other holds over before
// the first detection site.
TEST(ReleaseSummary, FirstReachWithoutFishOrFishBelowIsFixedAtZero)
{
    SummaryData d(4, 2);
    const int r0 = d.data.addRelease(0, 0);
    const int r1 = d.data.addRelease(0, 0);
    d.data.addTags(r0, 10, {{1, 0, 1}, {2, 0, 1}, {3, 0, 2}});
    d.data.addTags(r1, 6, {{1, 1, 1}, {2, 1, 1}, {3, 1, 2}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& a = s.transitionCells(ReleasePos{0});
    const TransitionTable& b = s.transitionCells(ReleasePos{1});

    // First reach in year 1 is empty for r0 and nothing of r0 is seen below it in year 1.
    EXPECT_EQ(marks(cellOf(a, 1, 0, 1)), "exempt holdover zero");
    EXPECT_TRUE(captureOf(s.captureCells(ReleasePos{0}), 1, 1).fixedAtZero);
    EXPECT_EQ(marks(cellOf(a, 1, 0, 0)), "");
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 0, 1).fixedAtZero);
    // And the other way round for r1.
    EXPECT_EQ(marks(cellOf(b, 1, 0, 0)), "exempt zero");
    EXPECT_TRUE(captureOf(s.captureCells(ReleasePos{1}), 0, 1).fixedAtZero);
    EXPECT_EQ(marks(cellOf(b, 1, 0, 1)), "");
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{1}), 1, 1).fixedAtZero);

    // Below a closed first reach nothing can be reached: fixed, captures too, except at the
    // final site.
    EXPECT_EQ(marks(cellOf(a, 2, 1, 1)), "exempt zero");
    EXPECT_TRUE(captureOf(s.captureCells(ReleasePos{0}), 1, 2).fixedAtZero);
    EXPECT_EQ(marks(cellOf(a, 3, 1, 1)), "exempt zero one");
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 1, 3).fixedAtZero);
    EXPECT_EQ(marks(cellOf(b, 2, 0, 0)), "exempt zero");
    EXPECT_TRUE(captureOf(s.captureCells(ReleasePos{1}), 0, 2).fixedAtZero);
    EXPECT_EQ(marks(cellOf(a, 2, 0, 0)), "");

    // Pooled: open where one release is open.
    EXPECT_EQ(marks(cellOf(s.pooledTransitionCells(), 1, 0, 0)), "");
    EXPECT_EQ(marks(cellOf(s.pooledTransitionCells(), 1, 0, 1)), "");
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 1, 0, 1).nextCount, 6);
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 2, 0, 0).testCount, 10);
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 2, 1, 1).testCount, 6);
    EXPECT_TRUE(s.eachReleaseEstimable());
    EXPECT_TRUE(s.pooledEstimable());
    EXPECT_EQ(s.dataClass(), DataClass::OneSiteOneYear);
}

TEST(ReleaseSummary, FirstReachOfTheFinalSiteLeavesItsCaptureAlone)
{
    SummaryData d(3, 2);
    const int r = d.data.addRelease(1, 0);
    d.data.addTags(r, 5, {{2, 0, 2}});
    const ReleaseSummary& s = d.update();
    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{0}), 2, 0, 1)), "exempt zero");
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 1, 2).fixedAtZero);
    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{0}), 2, 0, 0)), "");
}

TEST(ReleaseSummary, EmptyPooledHoldOverIsFixedInEveryRelease)
{
    SummaryData d(3, 2);
    const int r0 = d.data.addRelease(0, 0);
    const int r1 = d.data.addRelease(0, 0);
    d.data.addTags(r0, 5, {{1, 0, 1}, {2, 1, 1}});
    d.data.addTags(r1, 5, {{1, 0, 1}, {2, 0, 1}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& a = s.transitionCells(ReleasePos{0});
    const TransitionTable& b = s.transitionCells(ReleasePos{1});
    const TransitionTable& pooled = s.pooledTransitionCells();

    // Nobody held over before site 1.
    EXPECT_EQ(marks(cellOf(pooled, 1, 0, 1)), "exempt");
    EXPECT_EQ(marks(cellOf(a, 1, 0, 1)), "exempt zero");
    EXPECT_EQ(marks(cellOf(b, 1, 0, 1)), "exempt zero");
    // r0's fish held over before the final site, r1's did not: only r1's path is an empty
    // hold-over, and the direct path of r1 shadows it.
    EXPECT_EQ(marks(cellOf(pooled, 2, 0, 1)), "");
    EXPECT_EQ(marks(cellOf(a, 2, 0, 1)), "");
    EXPECT_EQ(marks(cellOf(b, 2, 0, 1)), "exempt holdover zero");
    // r0's direct path without fish is a dead end beside its hold-over path.
    EXPECT_EQ(marks(cellOf(a, 2, 0, 0)), "exempt zero");
    EXPECT_EQ(marks(cellOf(b, 2, 0, 0)), "");
    EXPECT_EQ(marks(cellOf(pooled, 2, 0, 0)), "");
    EXPECT_EQ(marks(cellOf(pooled, 2, 1, 1)), "exempt");
    EXPECT_EQ(cellOf(pooled, 2, 0, 1).testCount, 5);
    EXPECT_TRUE(s.eachReleaseEstimable());
    EXPECT_TRUE(s.pooledEstimable());
}

TEST(ReleaseSummary, DeadEndBesideAnOpenPathIsFixedAtZero)
{
    SummaryData d(5, 2);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 10, {{1, 0, 1}, {2, 0, 1}, {3, 1, 1}, {4, 1, 2}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& cells = s.transitionCells(ReleasePos{0});
    const CaptureTable& captures = s.captureCells(ReleasePos{0});

    EXPECT_EQ(marks(cellOf(cells, 3, 0, 0)), "exempt zero");
    EXPECT_TRUE(captureOf(captures, 0, 3).fixedAtZero);
    EXPECT_EQ(marks(cellOf(cells, 3, 0, 1)), "");
    EXPECT_EQ(cellOf(cells, 3, 0, 1).testCount, 10);
    EXPECT_FALSE(captureOf(captures, 1, 3).fixedAtZero);
    // Nothing reaches site 3 in year 0 any more, so the path on from there closes too.
    EXPECT_EQ(marks(cellOf(cells, 4, 0, 0)), "exempt zero");
    // The empty year-1 path from site 2 has fish below it, so it is no dead end; the
    // hold-over path with fish into the same point shadows it instead.
    EXPECT_EQ(marks(cellOf(cells, 3, 1, 1)), "exempt zero");
    EXPECT_FALSE(captureOf(captures, 1, 3).fixedAtZero);
    // Nothing reaches site 1 in year 1, so the path on from there is fixed with its capture.
    EXPECT_EQ(marks(cellOf(cells, 2, 1, 1)), "exempt zero");
    EXPECT_TRUE(captureOf(captures, 1, 2).fixedAtZero);
    EXPECT_EQ(marks(cellOf(cells, 4, 1, 1)), "one");
    EXPECT_TRUE(s.releaseEstimable(ReleasePos{0}));
}

TEST(ReleaseSummary, DeadEndIntoTheFinalSiteLeavesItsCaptureAlone)
{
    SummaryData d(4, 2);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 10, {{1, 0, 1}, {2, 0, 1}, {3, 1, 2}});
    const ReleaseSummary& s = d.update();
    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{0}), 3, 0, 0)), "exempt zero");
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 0, 3).fixedAtZero);
    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{0}), 3, 0, 1)), "");
}

TEST(ReleaseSummary, EmptyPathShadowedByAnotherPathToTheSamePointIsFixedAtZero)
{
    SummaryData d(3, 2);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 10, {{1, 0, 1}, {2, 0, 2}});
    d.data.addTags(r, 4, {{1, 0, 1}, {2, 1, 2}});
    d.data.addTags(r, 3, {{1, 1, 1}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& cells = s.transitionCells(ReleasePos{0});

    EXPECT_EQ(marks(cellOf(cells, 2, 1, 1)), "exempt zero");
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 1, 2).fixedAtZero);
    EXPECT_EQ(marks(cellOf(cells, 2, 0, 1)), "");
    EXPECT_EQ(marks(cellOf(cells, 2, 0, 0)), "");
    EXPECT_EQ(marks(cellOf(cells, 1, 0, 1)), "");
    EXPECT_EQ(cellOf(cells, 2, 0, 1).testCount, 4);
    EXPECT_EQ(cellOf(cells, 2, 0, 0).testCount, 10);
    EXPECT_EQ(cellOf(cells, 1, 0, 1).testCount, 3);
    EXPECT_TRUE(s.releaseEstimable(ReleasePos{0}));
}

// No fish at sites 1 and 2 (release sites lower on the river, without a detector), fish at
// site 3 and the final site: the release passed sites 1 and 2 unseen in its own year, and the
// fish of the release point are counted on the first path out of site 2.
TEST(ReleaseSummary, SitesAReleaseNeverSawArePassedUnseen)
{
    SummaryData d(5, 2);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 10, {{3, 0, 1}, {4, 0, 2}});
    d.data.addTags(r, 4, {{3, 1, 1}, {4, 1, 2}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& cells = s.transitionCells(ReleasePos{0});

    for (const int site : {1, 2}) {
        SCOPED_TRACE(site);
        EXPECT_EQ(marks(cellOf(cells, site, 0, 0)), "one");
        EXPECT_EQ(marks(cellOf(cells, site, 0, 1)), "exempt zero");
        EXPECT_TRUE(captureOf(s.captureCells(ReleasePos{0}), 0, site).fixedAtZero);
        EXPECT_TRUE(captureOf(s.captureCells(ReleasePos{0}), 1, site).fixedAtZero);
        EXPECT_EQ(marks(cellOf(s.pooledTransitionCells(), site, 0, 0)), "one");
    }
    // Nobody can be at site 1 in year 1, so nothing leaves it then.
    EXPECT_EQ(marks(cellOf(cells, 2, 1, 1)), "exempt zero");
    EXPECT_EQ(cellOf(cells, 3, 0, 0).nextCount, 10);
    EXPECT_EQ(cellOf(cells, 3, 0, 1).nextCount, 4);
    EXPECT_EQ(cellOf(cells, 3, 0, 0).testCount, 10);
    EXPECT_EQ(cellOf(cells, 3, 0, 1).testCount, 4);
    EXPECT_FALSE(cellOf(cells, 3, 0, 1).fixedAtZero);
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 0, 3).fixedAtZero);
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 1, 3).fixedAtZero);
    EXPECT_TRUE(s.releaseEstimable(ReleasePos{0}));
    EXPECT_TRUE(s.pooledEstimable());
}

// A detector that saw the fish of a large release but none of a small one: the small release
// passes it unseen, the large one keeps its parameters there.
TEST(ReleaseSummary, ADetectorThatMissedASmallReleaseIsPassedByThatReleaseOnly)
{
    SummaryData d(4, 1);
    const int large = d.data.addRelease(0, 0);
    const int small = d.data.addRelease(0, 0);
    d.data.addTags(large, 30, {{1, 0, 1}, {2, 0, 1}, {3, 0, 2}});
    d.data.addTags(large, 20, {{2, 0, 1}});
    d.data.addTags(small, 3, {{2, 0, 1}, {3, 0, 2}});
    const ReleaseSummary& s = d.update();

    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{1}), 1, 0, 0)), "one");
    EXPECT_TRUE(captureOf(s.captureCells(ReleasePos{1}), 0, 1).fixedAtZero);
    EXPECT_EQ(cellOf(s.transitionCells(ReleasePos{1}), 2, 0, 0).nextCount, 3);
    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{0}), 1, 0, 0)), "");
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 0, 1).fixedAtZero);
    EXPECT_EQ(marks(cellOf(s.pooledTransitionCells(), 1, 0, 0)), "");
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 1, 0, 0).testCount, 30);
    EXPECT_TRUE(s.eachReleaseEstimable());
    EXPECT_TRUE(s.pooledEstimable());
}

TEST(ReleaseSummary, SitePassedWithoutDetectionIsFixedAtOne)
{
    SummaryData d(4, 1);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 10, {{1, 0, 1}, {3, 0, 2}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& cells = s.transitionCells(ReleasePos{0});

    EXPECT_EQ(marks(cellOf(cells, 2, 0, 0)), "one");
    EXPECT_EQ(marks(cellOf(s.pooledTransitionCells(), 2, 0, 0)), "one");
    EXPECT_TRUE(captureOf(s.captureCells(ReleasePos{0}), 0, 2).fixedAtZero);
    EXPECT_FALSE(captureOf(s.captureCells(ReleasePos{0}), 0, 1).fixedAtZero);
    EXPECT_EQ(marks(cellOf(cells, 1, 0, 0)), "");
    EXPECT_EQ(marks(cellOf(cells, 3, 0, 0)), "");
    EXPECT_EQ(cellOf(cells, 3, 0, 0).testCount, 10);
    EXPECT_TRUE(s.releaseEstimable(ReleasePos{0}));
    EXPECT_TRUE(s.pooledEstimable());
}

TEST(ReleaseSummary, FinalReachIsCertainWhenEveryFishThatWentOnArrived)
{
    SummaryData d(3, 1);
    const int r0 = d.data.addRelease(0, 0);
    d.data.addTags(r0, 8, {{1, 0, 1}, {2, 0, 2}});
    d.data.addTags(r0, 2, {{1, 0, 2}}); // removed at site 1: they did not go on
    const ReleaseSummary& s = d.update();
    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{0}), 2, 0, 0)), "one");
    EXPECT_EQ(marks(cellOf(s.pooledTransitionCells(), 2, 0, 0)), "one");
}

TEST(ReleaseSummary, FinalReachIsNotCertainWhenOneReleaseLostAFish)
{
    SummaryData d(3, 1);
    const int r0 = d.data.addRelease(0, 0);
    const int r1 = d.data.addRelease(0, 0);
    d.data.addTags(r0, 8, {{1, 0, 1}, {2, 0, 2}});
    d.data.addTags(r1, 2, {{1, 0, 1}, {2, 0, 2}});
    d.data.addTags(r1, 1, {{1, 0, 1}});
    const ReleaseSummary& s = d.update();
    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{0}), 2, 0, 0)), "");
    EXPECT_EQ(marks(cellOf(s.transitionCells(ReleasePos{1}), 2, 0, 0)), "");
    EXPECT_EQ(marks(cellOf(s.pooledTransitionCells(), 2, 0, 0)), "");
}

TEST(ReleaseSummary, TestCountsCreditOnlyPathsEveryRouteGoesThrough)
{
    SummaryData d(4, 2);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 5, {{1, 0, 1}, {2, 0, 1}, {3, 1, 2}});
    d.data.addTags(r, 5, {{1, 0, 1}, {2, 1, 1}, {3, 1, 2}});
    d.data.addTags(r, 5, {{1, 0, 1}, {2, 0, 1}, {3, 0, 2}});
    d.data.addTags(r, 4, {{3, 1, 2}}); // could have come by year 0 or year 1 at site 2
    d.data.addTags(r, 3, {{3, 0, 2}}); // only one way to the final site in year 0
    const ReleaseSummary& s = d.update();
    const TransitionTable& cells = s.transitionCells(ReleasePos{0});

    EXPECT_EQ(cellOf(cells, 1, 0, 0).testCount, 15);
    EXPECT_EQ(cellOf(cells, 2, 0, 0).testCount, 10);
    EXPECT_EQ(cellOf(cells, 2, 0, 1).testCount, 5);
    EXPECT_EQ(cellOf(cells, 3, 0, 0).testCount, 8);
    EXPECT_EQ(cellOf(cells, 3, 0, 1).testCount, 5);
    EXPECT_EQ(cellOf(cells, 3, 1, 1).testCount, 5);
    EXPECT_EQ(cellOf(cells, 2, 1, 1).testCount, 0);
    EXPECT_EQ(marks(cellOf(cells, 2, 1, 1)), "exempt zero");
    EXPECT_EQ(marks(cellOf(cells, 3, 1, 1)), "one");
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 3, 0, 0).testCount, 8);
    EXPECT_TRUE(s.releaseEstimable(ReleasePos{0}));
}

TEST(ReleaseSummary, DataClassFollowsReleaseSitesAndYears)
{
    SummaryData sites(4, 2);
    sites.data.addRelease(0, 0);
    sites.data.addRelease(1, 0);
    EXPECT_EQ(sites.update().dataClass(), DataClass::SeveralSitesOneYear);
    EXPECT_TRUE(sites.summary.yearGroupKeys().isEmpty());
    EXPECT_TRUE(sites.summary.siteGroupKeys().isEmpty());

    SummaryData years(4, 2);
    years.data.addRelease(0, 0);
    years.data.addRelease(0, 1);
    EXPECT_EQ(years.update().dataClass(), DataClass::OneSiteSeveralYears);
    EXPECT_TRUE(years.summary.yearGroupKeys().isEmpty());
}

} // namespace
