// Random studies against routes listed one by one: the test counts are those of the routes,
// and the marks never deny what the fish were seen doing.

#include "ReleaseSummaryFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

using namespace rivulet;
using namespace rivulet::test;

namespace {

// Lists every route from a capture cell to (target site, target year) along the cells
// `passable` lets through and collects the transition cells the routes end in.
template <typename Passable>
void collectRouteEnds(const SummaryTables& tables, int site, int year, int targetSite,
                      int targetYear, Passable passable, std::set<PathKey>& ends)
{
    for (const auto& [key, cell] : tables.transitions) {
        if (!passable(cell) || cell.site != site + 1 || cell.y1 != year)
            continue;
        if (cell.site == targetSite) {
            if (cell.y2 == targetYear)
                ends.insert(key);
            continue;
        }
        if (tables.capture(CaptureKey{cell.y2, cell.site}))
            collectRouteEnds(tables, cell.site, cell.y2, targetSite, targetYear, passable, ends);
    }
}

// Calls visit(capture key, site, year, fish) for the fish of release r next seen at every
// point below every capture cell of the release.
template <typename Visit>
void forEachNextSeen(const SummaryData& d, int r, int S, int Y, Visit visit)
{
    const ReleaseSummary& s = d.summary;
    const int id = d.data.releases.ids().at(r);
    for (const auto& entry : s.releaseTables(ReleasePos{r}).captures) {
        const CaptureKey key = entry.first;
        if (key.site >= S - 1)
            continue;
        const CountMatrix& seen = key.site == s.releaseSite(ReleasePos{r})
                                      ? d.data.counts.releaseNextCounts(ReleaseId{id})
                                      : d.data.counts.nextCounts(ReleaseId{id}, key.site, key.year);
        for (int s2 = key.site + 1; s2 < S; ++s2)
            for (int y2 = key.year; y2 < Y; ++y2)
                visit(key, s2, y2, seen.count(s2, y2));
    }
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
            // The marks after the test counts change no exemption, so the final ones do.
            const SummaryTables& tables = d.summary.releaseTables(ReleasePos{r});
            std::map<PathKey, int> expected;
            forEachNextSeen(d, r, S, Y, [&](CaptureKey from, int s2, int y2, int fish) {
                std::set<PathKey> ends;
                collectRouteEnds(
                    tables, from.site, from.year, s2, y2,
                    [](const TransitionCell& cell) { return !cell.exempt; }, ends);
                if (ends.size() == 1)
                    expected[*ends.begin()] += fish;
            });
            for (const auto& [key, cell] : tables.transitions) {
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

// The places where the marks deny what the fish were seen doing: a capture cell with fish
// fixed at 0, or a point where fish were next seen that no route of cells not fixed at 0
// reaches.
std::vector<std::string> contradictions(const SummaryData& d, int S, int Y)
{
    std::vector<std::string> found;
    for (int r = 0; r < d.summary.releaseCount(); ++r) {
        const SummaryTables& tables = d.summary.releaseTables(ReleasePos{r});
        const std::string release = "release " + std::to_string(r);
        for (const auto& entry : tables.captures)
            if (entry.second.count >= 1 && entry.second.fixedAtZero)
                found.push_back(release + ": detected fish fixed at 0");
        forEachNextSeen(d, r, S, Y, [&](CaptureKey from, int s2, int y2, int fish) {
            std::set<PathKey> ends;
            collectRouteEnds(
                tables, from.site, from.year, s2, y2,
                [](const TransitionCell& cell) { return cell.fixedAtOne || !cell.fixedAtZero; },
                ends);
            if (fish > 0 && ends.empty())
                found.push_back(release + " from (year " + std::to_string(from.year) + ", site " +
                                std::to_string(from.site) + "): no open route to (year " +
                                std::to_string(y2) + ", site " + std::to_string(s2) + ")");
        });
    }
    return found;
}

void describeTables(std::ostringstream& out, const char* name, const SummaryTables& tables)
{
    out << name << (tables.estimable ? " estimable\n" : " not estimable\n");
    for (const auto& [key, cell] : tables.transitions)
        out << "  (" << key.site << ',' << key.upstreamYear << ',' << key.downstreamYear << ") ["
            << marks(cell) << "] test " << cell.testCount << '\n';
    for (const auto& [key, capture] : tables.captures)
        out << "  capture (" << key.year << ',' << key.site << ')'
            << (capture.fixedAtZero ? " zero\n" : "\n");
}

// Every mark, test count and indicator of every table, as text.
std::string describe(const ReleaseSummary& s)
{
    std::ostringstream out;
    out << "each " << s.eachReleaseEstimable() << " first " << s.firstGroupEstimable() << " second "
        << s.secondGroupEstimable() << '\n';
    for (int r = 0; r < s.releaseCount(); ++r)
        describeTables(out, "release", s.releaseTables(ReleasePos{r}));
    describeTables(out, "pooled", s.pooledTables());
    for (const int key : s.yearGroupKeys())
        describeTables(out, "year group", s.yearGroup(key));
    for (const int key : s.siteGroupKeys())
        describeTables(out, "site group", s.siteGroup(key));
    return out.str();
}

// Random studies with release sites in series that never detect: wherever the marks deny
// an observation the check repairs it, and wherever they do not it changes nothing.
TEST(ReleaseSummaryObservedRoutes, MarksNeverDenyObservationsAndChangeOnlyWhereTheyDid)
{
    const int S = 6;
    const int Y = 3;
    std::mt19937 rng(2611);
    int repaired = 0;
    int untouched = 0;
    for (int round = 0; round < 60; ++round) {
        // Every other study has a single release.
        const int siteCount = round % 2 == 0 ? 3 : 1;
        const int yearCount = round % 2 == 0 ? 2 : 1;
        SummaryData d(S, Y);
        for (int site = 0; site < siteCount; ++site) {
            for (int year = 0; year < yearCount; ++year) {
                const int r = d.data.addRelease(site, year);
                const int tags = std::uniform_int_distribution<int>(1, 12)(rng);
                for (int tag = 0; tag < tags; ++tag) {
                    std::vector<Seen> seen;
                    for (const Seen& s : randomHistory(rng, S, Y, site, year))
                        if (s.site > 2)
                            seen.push_back(s);
                    d.data.addTags(r, 1, seen);
                }
            }
        }
        d.data.update();
        d.summary.setChecksObservedRoutes(false);
        d.summary.update();
        const bool consistent = contradictions(d, S, Y).empty();
        const std::string without = describe(d.summary);
        d.summary.setChecksObservedRoutes(true);
        d.summary.update();
        const std::vector<std::string> left = contradictions(d, S, Y);
        EXPECT_TRUE(left.empty()) << "round " << round << ": " << left.front();
        if (consistent) {
            EXPECT_EQ(describe(d.summary), without) << "round " << round;
            ++untouched;
        } else {
            ++repaired;
        }
    }
    // Both kinds of study occur, so both claims were put to the test.
    EXPECT_GT(repaired, 0);
    EXPECT_GT(untouched, 0);
}

} // namespace
