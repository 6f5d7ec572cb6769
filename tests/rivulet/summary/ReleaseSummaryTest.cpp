#include "ReleaseSummaryFixture.h"

#include <gtest/gtest.h>

using namespace rivulet;
using namespace rivulet::test;

namespace {

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
    EXPECT_EQ(cells.count(PathKey{1, 1, 1}), 0u); // no first reach from a later year

    // The release point and every point below it, with what arrives and what leaves.
    const CaptureTable& captures = s.captureCells(ReleasePos{0});
    EXPECT_EQ(captures.size(), 1u + 3u * 2u);
    const CaptureCell& start = captureOf(captures, 0, 0);
    EXPECT_EQ(start.leaving, (QVector<PathKey>{{1, 0, 0}, {1, 0, 1}}));
    const CaptureCell& site2 = captureOf(captures, 1, 2);
    EXPECT_EQ(site2.arriving, (QVector<PathKey>{{2, 0, 1}, {2, 1, 1}}));
    EXPECT_EQ(site2.leaving, (QVector<PathKey>{{3, 1, 1}}));
    EXPECT_EQ(site2.count, 7);
    EXPECT_EQ(captureOf(captures, 0, 2).count, 3);
    EXPECT_EQ(captureOf(captures, 0, 2).removals, 3);
}

TEST(ReleaseSummary, FishSeenOnlyAtTheirFirstSiteLeaveAnUntestedPathBelow)
{
    SummaryData d(4, 1);
    const int r = d.data.addRelease(0, 0);
    d.data.addTags(r, 10, {{1, 0, 1}});
    const ReleaseSummary& s = d.update();
    const TransitionTable& cells = s.transitionCells(ReleasePos{0});

    // No other open path leaves site 1, so the empty path is no dead end: it stays open and
    // nothing tests it.
    expectMarks(cells, {{2, 0, 0, ""}, {3, 0, 0, ""}});
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

    // The first reach in year 1 is empty for r0 and nothing of r0 is seen below it in year 1;
    // the other way round for r1. Below a closed first reach nothing can be reached: fixed,
    // captures too, except at the final site.
    expectMarks(s.transitionCells(ReleasePos{0}), {{1, 0, 1, "exempt holdover zero"},
                                                   {1, 0, 0, ""},
                                                   {2, 1, 1, "exempt zero"},
                                                   {3, 1, 1, "exempt zero one"},
                                                   {2, 0, 0, ""}});
    expectCaptures(s.captureCells(ReleasePos{0}),
                   {{1, 1, true}, {0, 1, false}, {1, 2, true}, {1, 3, false}});
    expectMarks(s.transitionCells(ReleasePos{1}),
                {{1, 0, 0, "exempt zero"}, {1, 0, 1, ""}, {2, 0, 0, "exempt zero"}});
    expectCaptures(s.captureCells(ReleasePos{1}), {{0, 1, true}, {1, 1, false}, {0, 2, true}});

    // Pooled: open where one release is open.
    expectMarks(s.pooledTransitionCells(), {{1, 0, 0, ""}, {1, 0, 1, ""}});
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 1, 0, 1).nextCount, 6);
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 2, 0, 0).testCount, 10);
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 2, 1, 1).testCount, 6);
    EXPECT_TRUE(s.eachReleaseEstimable());
    EXPECT_TRUE(s.pooledEstimable());
}

TEST(ReleaseSummary, EmptyPooledHoldOverIsFixedInEveryRelease)
{
    SummaryData d(3, 2);
    const int r0 = d.data.addRelease(0, 0);
    const int r1 = d.data.addRelease(0, 0);
    d.data.addTags(r0, 5, {{1, 0, 1}, {2, 1, 1}});
    d.data.addTags(r1, 5, {{1, 0, 1}, {2, 0, 1}});
    const ReleaseSummary& s = d.update();

    // Nobody held over before site 1. r0's fish held over before the final site, r1's did
    // not: only r1's path is an empty hold-over, and the direct path of r1 shadows it. r0's
    // direct path without fish is a dead end beside its hold-over path.
    expectMarks(s.pooledTransitionCells(),
                {{1, 0, 1, "exempt"}, {2, 0, 1, ""}, {2, 0, 0, ""}, {2, 1, 1, "exempt"}});
    expectMarks(s.transitionCells(ReleasePos{0}),
                {{1, 0, 1, "exempt zero"}, {2, 0, 1, ""}, {2, 0, 0, "exempt zero"}});
    expectMarks(s.transitionCells(ReleasePos{1}),
                {{1, 0, 1, "exempt zero"}, {2, 0, 1, "exempt holdover zero"}, {2, 0, 0, ""}});
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 2, 0, 1).testCount, 5);
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

    // Nothing reaches site 3 in year 0 any more, so the path on from there closes too. The
    // empty year-1 path from site 2 has fish below it, so it is no dead end; the hold-over
    // path with fish into the same point shadows it instead. Nothing reaches site 1 in year 1,
    // so the path on from there is fixed with its capture.
    expectMarks(cells, {{3, 0, 0, "exempt zero"},
                        {3, 0, 1, ""},
                        {4, 0, 0, "exempt zero"},
                        {3, 1, 1, "exempt zero"},
                        {2, 1, 1, "exempt zero"},
                        {4, 1, 1, "one"}});
    expectCaptures(s.captureCells(ReleasePos{0}), {{0, 3, true}, {1, 3, false}, {1, 2, true}});
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
        expectMarks(cells, {{site, 0, 0, "one"}, {site, 0, 1, "exempt zero"}});
        expectCaptures(s.captureCells(ReleasePos{0}), {{0, site, true}, {1, site, true}});
        expectMarks(s.pooledTransitionCells(), {{site, 0, 0, "one"}});
    }
    // Nobody can be at site 1 in year 1, so nothing leaves it then.
    expectMarks(cells, {{2, 1, 1, "exempt zero"}});
    expectCaptures(s.captureCells(ReleasePos{0}), {{0, 3, false}, {1, 3, false}});
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

    expectMarks(s.transitionCells(ReleasePos{1}), {{1, 0, 0, "one"}});
    expectCaptures(s.captureCells(ReleasePos{1}), {{0, 1, true}});
    expectMarks(s.transitionCells(ReleasePos{0}), {{1, 0, 0, ""}});
    expectCaptures(s.captureCells(ReleasePos{0}), {{0, 1, false}});
    expectMarks(s.pooledTransitionCells(), {{1, 0, 0, ""}});
    EXPECT_EQ(cellOf(s.pooledTransitionCells(), 1, 0, 0).testCount, 30);
    EXPECT_TRUE(s.eachReleaseEstimable());
    EXPECT_TRUE(s.pooledEstimable());
}

// The final reach is certain when every fish that went on arrived (fish removed at site 1 did
// not go on), and not when one release lost a fish.
TEST(ReleaseSummary, FinalReachIsCertainOnlyWhenEveryFishThatWentOnArrived)
{
    SummaryData certain(3, 1);
    const int r = certain.data.addRelease(0, 0);
    certain.data.addTags(r, 8, {{1, 0, 1}, {2, 0, 2}});
    certain.data.addTags(r, 2, {{1, 0, 2}});
    const ReleaseSummary& s = certain.update();
    expectMarks(s.transitionCells(ReleasePos{0}), {{2, 0, 0, "one"}});
    expectMarks(s.pooledTransitionCells(), {{2, 0, 0, "one"}});

    SummaryData lost(3, 1);
    const int r0 = lost.data.addRelease(0, 0);
    const int r1 = lost.data.addRelease(0, 0);
    lost.data.addTags(r0, 8, {{1, 0, 1}, {2, 0, 2}});
    lost.data.addTags(r1, 2, {{1, 0, 1}, {2, 0, 2}});
    lost.data.addTags(r1, 1, {{1, 0, 1}});
    const ReleaseSummary& t = lost.update();
    for (const TransitionTable* table :
         {&t.transitionCells(ReleasePos{0}), &t.transitionCells(ReleasePos{1}),
          &t.pooledTransitionCells()})
        expectMarks(*table, {{2, 0, 0, ""}});
}

TEST(ReleaseSummary, DataClassFollowsReleaseSitesAndYears)
{
    SummaryData sites(4, 2);
    sites.data.addRelease(0, 0);
    sites.data.addRelease(1, 0);
    EXPECT_EQ(sites.update().dataClass(), DataClass::SeveralSitesOneYear);

    SummaryData years(4, 2);
    years.data.addRelease(0, 0);
    years.data.addRelease(0, 1);
    EXPECT_EQ(years.update().dataClass(), DataClass::OneSiteSeveralYears);
}

} // namespace

namespace {

// A study without releases was reported "estimable: yes" for each release and both groups.
TEST(ReleaseSummary, AStudyWithoutReleasesIsNotEstimable)
{
    SummaryData d(3, 1);
    const ReleaseSummary& s = d.update();
    EXPECT_EQ(s.releaseCount(), 0);
    EXPECT_FALSE(s.eachReleaseEstimable());
    EXPECT_FALSE(s.firstGroupEstimable());
    EXPECT_FALSE(s.secondGroupEstimable());
    EXPECT_FALSE(s.pooledEstimable());
}

} // namespace
