// The questions the marking stages ask of a set of tables, on tables built by hand: a chain
// of capture points (site 1, 2, 3 in one year) linked by the paths between them.
#include "rivulet/summary/CellChecks.h"

#include "rivulet/summary/SummaryTables.h"

#include <gtest/gtest.h>

namespace rivulet {
namespace {

class CellChecksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int site = 1; site <= 3; ++site)
            capture(site).site = site;
        for (int site = 2; site <= 3; ++site) {
            TransitionCell cell;
            cell.site = site;
            cell.testCount = 1;
            tables.transitions[cell.key()] = cell;
            tables.captures[CaptureKey{0, site - 1}].leaving.append(cell.key());
            tables.captures[CaptureKey{0, site}].arriving.append(cell.key());
        }
    }

    CaptureCell& capture(int site) { return tables.captures[CaptureKey{0, site}]; }
    TransitionCell& path(int site) { return tables.transitions[PathKey{site, 0, 0}]; }
    bool passes(int site) const
    {
        return CellChecks::passesDownstream(tables, CaptureKey{0, site});
    }

    SummaryTables tables;
};

TEST_F(CellChecksTest, AFishIsSeenDownstreamOnlyAlongPathsThatCount)
{
    EXPECT_FALSE(passes(1)) << "no fish anywhere below";
    capture(3).count = 1; // a single fish is enough
    EXPECT_TRUE(passes(1));
    EXPECT_TRUE(passes(2));
    EXPECT_FALSE(passes(3)) << "nothing below the last point";

    path(3).exempt = true;
    EXPECT_FALSE(passes(1));
    path(3).exempt = false;
    path(3).emptyHoldOver = true;
    EXPECT_FALSE(passes(1));
}

TEST_F(CellChecksTest, ReachabilityAndEstimabilityFollowTheExemptAndTestedPaths)
{
    EXPECT_FALSE(CellChecks::isReachable(tables, CaptureKey{0, 1})) << "nothing arrives at 1";
    EXPECT_TRUE(CellChecks::isReachable(tables, CaptureKey{0, 2}));
    EXPECT_TRUE(CellChecks::isEstimable(tables));

    path(2).testCount = 0;
    EXPECT_FALSE(CellChecks::isEstimable(tables));
    path(2).fixedAtOne = true;
    EXPECT_TRUE(CellChecks::isEstimable(tables));

    // Fish seen where every arriving path is exempt: nothing can explain them.
    path(2).exempt = true;
    EXPECT_FALSE(CellChecks::isReachable(tables, CaptureKey{0, 2}));
    EXPECT_TRUE(CellChecks::isEstimable(tables)) << "no fish there, nothing to explain";
    capture(2).count = 1;
    EXPECT_FALSE(CellChecks::isEstimable(tables));
}

} // namespace
} // namespace rivulet
