#include "ReleaseSummaryFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace rivulet;
using namespace rivulet::test;

namespace {

// Lists every route from a capture cell to (target site, target year) one by one and
// collects the transition cells the routes end in.
void collectRouteEnds(const SummaryTables& tables, int site, int year, int targetSite,
                      int targetYear, std::set<PathKey>& ends)
{
    for (const auto& [key, cell] : tables.transitions) {
        if (cell.exempt || cell.site != site + 1 || cell.y1 != year)
            continue;
        if (cell.site == targetSite) {
            if (cell.y2 == targetYear)
                ends.insert(key);
            continue;
        }
        if (tables.capture(CaptureKey{cell.y2, cell.site}))
            collectRouteEnds(tables, cell.site, cell.y2, targetSite, targetYear, ends);
    }
}

// Test counts recomputed from the final marks (the marks after the test counts change no
// exemption) by listing the routes.
std::map<PathKey, int> listedTestCounts(const SummaryData& d, int r, int S, int Y)
{
    const ReleaseSummary& s = d.summary;
    const SummaryTables& tables = s.releaseTables(ReleasePos{r});
    const int id = d.data.releases.ids().at(r);
    std::map<PathKey, int> counts;
    for (const auto& [key, capture] : tables.captures) {
        if (capture.site >= S - 1)
            continue;
        const CountMatrix& seen =
            capture.site == s.releaseSite(ReleasePos{r})
                ? d.data.counts.releaseNextCounts(ReleaseId{id})
                : d.data.counts.nextCounts(ReleaseId{id}, capture.site, capture.year);
        for (int s2 = capture.site + 1; s2 < S; ++s2)
            for (int y2 = capture.year; y2 < Y; ++y2) {
                std::set<PathKey> ends;
                collectRouteEnds(tables, capture.site, capture.year, s2, y2, ends);
                if (ends.size() == 1)
                    counts[*ends.begin()] += seen.count(s2, y2);
            }
    }
    return counts;
}

TEST(ReleaseSummaryRoutes, TestCountsEqualThoseOfListedRoutes)
{
    std::mt19937 rng(1508);
    int credited = 0;
    for (int round = 0; round < 120; ++round) {
        const int S = std::uniform_int_distribution<int>(3, 6)(rng);
        const int Y = std::uniform_int_distribution<int>(1, 3)(rng);
        SummaryData d(S, Y);
        const int releases = std::uniform_int_distribution<int>(1, 3)(rng);
        for (int k = 0; k < releases; ++k) {
            const int relSite = std::uniform_int_distribution<int>(0, S - 2)(rng);
            const int relYear = std::uniform_int_distribution<int>(0, Y - 1)(rng);
            const int id = d.data.addRelease(relSite, relYear);
            for (int t = 0; t < 25; ++t)
                d.data.sequences.addTag(id, QStringLiteral("%1-%2").arg(id).arg(t),
                                        randomHistory(rng, S, Y, relSite, relYear));
        }
        d.update();
        for (int r = 0; r < releases; ++r) {
            const auto expected = listedTestCounts(d, r, S, Y);
            for (const auto& [key, cell] : d.summary.transitionCells(ReleasePos{r})) {
                const auto it = expected.find(key);
                ASSERT_EQ(cell.testCount, it == expected.end() ? 0 : it->second)
                    << "round " << round << " release " << r << " cell (" << key.site << ", "
                    << key.upstreamYear << ", " << key.downstreamYear << ")";
                credited += cell.testCount;
            }
        }
    }
    EXPECT_GT(credited, 0);
}

} // namespace
