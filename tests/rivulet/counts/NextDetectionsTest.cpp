#include "NextDetectionsFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>

using namespace rivulet;
using rivulet::test::HistoryData;
using rivulet::test::randomHistory;
using rivulet::test::Seen;

namespace {

// Shapes the random histories below never take.

TEST(NextDetections, DetectionAfterEndOfHistoryIsNobodysNextDetection)
{
    HistoryData data(6, 1);
    const int r = data.addRelease(0, 0);
    // Not a shape the histories have, but the counting must not follow a fish past its end.
    data.sequences.addTag(r, QStringLiteral("A"), {{1, 0, 1}, {2, 0, 2}, {4, 0, 1}});
    const NextDetections& counts = data.update();

    EXPECT_EQ(counts.nextCounts(ReleaseId{r}, 1, 0).count(2, 0), 1);
    // The later row reopens the history, so it has no removal at all.
    EXPECT_EQ(counts.removedCounts(ReleaseId{r}, 1, 0).count(2, 0), 0);
    EXPECT_EQ(counts.nextCounts(ReleaseId{r}, 2, 0).sum(), 0);
    EXPECT_EQ(counts.notSeenAgain(ReleaseId{r}, 4, 0), 1);
}

TEST(NextDetections, UpdateReplacesEveryTable)
{
    HistoryData data(4, 1);
    const int r = data.addRelease(0, 0);
    data.addTags(r, 4, {{1, 0, 1}});
    data.update();
    data.releases.clear();
    const int other = data.addRelease(0, 0);
    ASSERT_EQ(other, r); // the mock hands out ids by position
    data.update();
    // Same id, same histories: counted once, not added to the previous update.
    EXPECT_EQ(data.counts.releaseNextCounts(ReleaseId{r}).count(1, 0), 4);
    EXPECT_EQ(data.counts.totalDetections(1, 0), 4);
}

// ---- Random histories against a plain recount ----

using Key3 = std::tuple<int, int, int>; // (a, b) group or table key, site, year

// Recounts every table tag by tag from the histories as generated: a tag's first detection
// and, for every detection not at the site where the tag was removed, what came next.
struct Recount
{
    std::map<std::tuple<int, int, int>, int> releaseNext, releaseRemoved; // (release, s, y)
    std::map<int, int> notSeen;
    std::map<std::tuple<int, int, int, int, int>, int> next, removed;       // (r, a, b, s, y)
    std::map<std::tuple<int, int, int>, int> notSeenAgain;                  // (r, a, b)
    std::map<std::tuple<int, int, int>, int> detections, detectionRemovals; // (r, s, y)
    std::map<std::tuple<int, int, int>, int> yearFirst, yearFirstRemoved;   // (relYear, s, y)
    std::map<std::tuple<int, int, int>, int> siteFirst, siteFirstRemoved;   // (relSite, s, y)
    std::map<std::pair<int, int>, int> total, totalRemoved;

    void tag(int r, int relSite, int relYear, const std::vector<Seen>& h)
    {
        if (h.empty()) {
            ++notSeen[r];
            return;
        }
        const int removedSite = h.back().disposition == 2 ? h.back().site : -1;
        const Seen& f = h.front();
        const bool firstRemoved = removedSite == f.site;
        add(r, f, firstRemoved);
        ++releaseNext[{r, f.site, f.year}];
        ++yearFirst[{relYear, f.site, f.year}];
        ++siteFirst[{relSite, f.site, f.year}];
        if (firstRemoved) {
            ++releaseRemoved[{r, f.site, f.year}];
            ++yearFirstRemoved[{relYear, f.site, f.year}];
            ++siteFirstRemoved[{relSite, f.site, f.year}];
        }
        for (std::size_t i = 0; i < h.size(); ++i) {
            if (h[i].site == removedSite)
                continue;
            if (i + 1 == h.size()) {
                ++notSeenAgain[{r, h[i].site, h[i].year}];
                continue;
            }
            const Seen& n = h[i + 1];
            ++next[{r, h[i].site, h[i].year, n.site, n.year}];
            const bool nextRemoved = removedSite == n.site;
            if (nextRemoved)
                ++removed[{r, h[i].site, h[i].year, n.site, n.year}];
            add(r, n, nextRemoved);
        }
    }

    void add(int r, const Seen& s, bool isRemoval)
    {
        ++detections[{r, s.site, s.year}];
        ++total[{s.site, s.year}];
        if (isRemoval) {
            ++detectionRemovals[{r, s.site, s.year}];
            ++totalRemoved[{s.site, s.year}];
        }
    }
};

template <typename Map, typename Key>
int valueOf(const Map& map, const Key& key)
{
    const auto it = map.find(key);
    return it == map.end() ? 0 : it->second;
}

TEST(NextDetections, CountsEqualARecountOfRandomHistories)
{
    std::mt19937 rng(20080423);
    for (int round = 0; round < 150; ++round) {
        const int S = std::uniform_int_distribution<int>(2, 6)(rng);
        const int Y = std::uniform_int_distribution<int>(1, 4)(rng);
        HistoryData data(S, Y);
        Recount expected;
        const int releaseCount = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int k = 0; k < releaseCount; ++k) {
            const int relSite = std::uniform_int_distribution<int>(0, S - 2)(rng);
            const int relYear = std::uniform_int_distribution<int>(0, Y - 1)(rng);
            const int r = data.addRelease(relSite, relYear);
            const int tags = std::uniform_int_distribution<int>(0, 30)(rng);
            for (int t = 0; t < tags; ++t) {
                const auto h = randomHistory(rng, S, Y, relSite, relYear);
                data.sequences.addTag(r, QStringLiteral("%1-%2").arg(r).arg(t), h);
                expected.tag(r, relSite, relYear, h);
            }
        }
        const NextDetections& counts = data.update();
        SCOPED_TRACE(QStringLiteral("round %1, S %2, Y %3").arg(round).arg(S).arg(Y).toStdString());

        for (int s = 1; s < S; ++s) {
            for (int y = 0; y < Y; ++y) {
                EXPECT_EQ(counts.totalDetections(s, y), valueOf(expected.total, std::pair{s, y}));
                EXPECT_EQ(counts.totalRemovals(s, y),
                          valueOf(expected.totalRemoved, std::pair{s, y}));
                for (int p = 0; p < std::max(S, Y); ++p) {
                    const Key3 k{p, s, y};
                    EXPECT_EQ(counts.releaseYearFirstDetections(p, s, y),
                              valueOf(expected.yearFirst, k));
                    EXPECT_EQ(counts.releaseYearFirstRemovals(p, s, y),
                              valueOf(expected.yearFirstRemoved, k));
                    EXPECT_EQ(counts.releaseSiteFirstDetections(p, s, y),
                              valueOf(expected.siteFirst, k));
                    EXPECT_EQ(counts.releaseSiteFirstRemovals(p, s, y),
                              valueOf(expected.siteFirstRemoved, k));
                }
            }
        }
        for (const int r : data.releases.ids()) {
            EXPECT_EQ(counts.releaseNotSeen(ReleaseId{r}), valueOf(expected.notSeen, r));
            for (int s = 1; s < S; ++s) {
                for (int y = 0; y < Y; ++y) {
                    const Key3 k{r, s, y};
                    EXPECT_EQ(counts.releaseNextCounts(ReleaseId{r}).count(s, y),
                              valueOf(expected.releaseNext, k));
                    EXPECT_EQ(counts.releaseRemovedCounts(ReleaseId{r}).count(s, y),
                              valueOf(expected.releaseRemoved, k));
                    EXPECT_EQ(counts.releaseDetections(ReleaseId{r}, s, y),
                              valueOf(expected.detections, k));
                    EXPECT_EQ(counts.releaseRemovals(ReleaseId{r}, s, y),
                              valueOf(expected.detectionRemovals, k));
                }
            }
            for (int a = 0; a < S; ++a) {
                for (int b = 0; b < Y; ++b) {
                    EXPECT_EQ(counts.notSeenAgain(ReleaseId{r}, a, b),
                              valueOf(expected.notSeenAgain, Key3{r, a, b}));
                    for (int s = 1; s < S; ++s)
                        for (int y = 0; y < Y; ++y) {
                            const std::tuple<int, int, int, int, int> k{r, a, b, s, y};
                            ASSERT_EQ(counts.nextCounts(ReleaseId{r}, a, b).count(s, y),
                                      valueOf(expected.next, k));
                            ASSERT_EQ(counts.removedCounts(ReleaseId{r}, a, b).count(s, y),
                                      valueOf(expected.removed, k));
                        }
                }
            }
        }
    }
}

} // namespace
