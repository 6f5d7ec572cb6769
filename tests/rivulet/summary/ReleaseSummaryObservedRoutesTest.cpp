#include "ReleaseSummaryFixture.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace rivulet;
using namespace rivulet::test;

namespace {

bool isOpen(const TransitionCell& cell)
{
    return cell.fixedAtOne || !cell.fixedAtZero;
}

// Lists the routes one by one: is there a chain of cells not fixed at 0 from the capture
// cell (year, site) to (targetYear, targetSite)?
bool openRouteExists(const SummaryTables& tables, int site, int year, int targetSite,
                     int targetYear)
{
    for (const auto& entry : tables.transitions) {
        const TransitionCell& cell = entry.second;
        if (!isOpen(cell) || cell.site != site + 1 || cell.y1 != year)
            continue;
        if (cell.site == targetSite) {
            if (cell.y2 == targetYear)
                return true;
            continue;
        }
        if (tables.capture(CaptureKey{cell.y2, cell.site}) &&
            openRouteExists(tables, cell.site, cell.y2, targetSite, targetYear))
            return true;
    }
    return false;
}

// The places where the marks of release r deny what its fish were seen doing: a capture
// cell with fish fixed at 0, or a point where fish were next seen that no open route reaches.
std::vector<std::string> contradictions(const SummaryData& d, int r, int S, int Y)
{
    const ReleaseSummary& s = d.summary;
    const SummaryTables& tables = s.releaseTables(ReleasePos{r});
    const int id = d.data.releases.ids().at(r);
    std::vector<std::string> found;
    for (const auto& [key, capture] : tables.captures) {
        std::ostringstream where;
        where << "release " << r << " from (year " << key.year << ", site " << key.site << ")";
        if (capture.count >= 1 && capture.fixedAtZero)
            found.push_back(where.str() + ": detected fish fixed at 0");
        if (key.site >= S - 1)
            continue;
        const CountMatrix& seen = key.site == s.releaseSite(ReleasePos{r})
                                      ? d.data.counts.releaseNextCounts(ReleaseId{id})
                                      : d.data.counts.nextCounts(ReleaseId{id}, key.site, key.year);
        for (int s2 = key.site + 1; s2 < S; ++s2)
            for (int y2 = key.year; y2 < Y; ++y2)
                if (seen.count(s2, y2) > 0 && !openRouteExists(tables, key.site, key.year, s2, y2))
                    found.push_back(where.str() + ": no open route to (year " + std::to_string(y2) +
                                    ", site " + std::to_string(s2) + ")");
    }
    return found;
}

std::vector<std::string> allContradictions(const SummaryData& d, int S, int Y)
{
    std::vector<std::string> found;
    for (int r = 0; r < d.summary.releaseCount(); ++r)
        for (const std::string& text : contradictions(d, r, S, Y))
            found.push_back(text);
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

// The summary's text without the observed-route check, then with it.
std::pair<std::string, std::string> describeWithoutAndWith(SummaryData& d)
{
    d.data.update();
    d.summary.setChecksObservedRoutes(false);
    d.summary.update();
    const std::string without = describe(d.summary);
    d.summary.setChecksObservedRoutes(true);
    d.summary.update();
    return {without, describe(d.summary)};
}

// Sites 0 and 1 are release sites in series and detect nothing; site 2 is the first
// detection site, 3 the final one. Release 0's fish held over above site 2; nobody else did.
SummaryData& releaseSitesInSeries(SummaryData& d)
{
    const int upper = d.data.addRelease(0, 0);
    const int lower = d.data.addRelease(1, 0);
    d.data.addTags(upper, 10, {{2, 1, 1}, {3, 1, 1}});
    d.data.addTags(upper, 5, {{2, 0, 1}, {3, 0, 1}});
    d.data.addTags(lower, 8, {{2, 0, 1}, {3, 0, 1}});
    return d;
}

// The upper release passes the lower release site unseen; its fish that held over above the
// first detection site took the hold-over path out of the release site it passed.
TEST(ReleaseSummaryObservedRoutes, HoldOverAboveTheFirstDetectionSiteStaysOpen)
{
    SummaryData d(4, 2);
    releaseSitesInSeries(d);
    const auto [without, with] = describeWithoutAndWith(d);
    EXPECT_EQ(with, without);
    const ReleaseSummary& s = d.summary;
    const TransitionTable& upper = s.transitionCells(ReleasePos{0});
    EXPECT_TRUE(openRouteExists(s.releaseTables(ReleasePos{0}), 0, 0, 2, 1));
    expectMarks(upper, {{1, 0, 0, "one"}, {1, 0, 1, "exempt zero"}, {2, 0, 1, ""}});
    expectTestCounts(upper, {{2, 0, 1, 10}, {2, 0, 0, 5}});
    expectCaptures(s.captureCells(ReleasePos{0}), {{1, 2, false}, {1, 1, true}});
    EXPECT_TRUE(s.eachReleaseEstimable());
    EXPECT_TRUE(allContradictions(d, 4, 2).empty());
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
        const bool consistent = allContradictions(d, S, Y).empty();
        const std::string without = describe(d.summary);
        d.summary.setChecksObservedRoutes(true);
        d.summary.update();
        const std::vector<std::string> left = allContradictions(d, S, Y);
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
