#include "ReleaseSummaryFixture.h"

#include "rivulet/summary/ReleaseSummaryJson.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace rivulet;
using namespace rivulet::test;

namespace {

// Two release sites (0 and 1) above detection site 2 and the final site 3, two years:
// r0 at site 0 in year 0, r1 at site 0 in year 1, r2 at site 1 in year 0.
struct ThreeReleases : SummaryData
{
    ThreeReleases() : SummaryData(4, 2)
    {
        r0 = data.addRelease(0, 0);
        r1 = data.addRelease(0, 1);
        r2 = data.addRelease(1, 0);
        data.addTags(r0, 10, {{2, 0, 1}, {3, 0, 2}});
        data.addTags(r1, 6, {{2, 1, 1}, {3, 1, 2}});
        data.addTags(r2, 8, {{2, 0, 1}, {3, 0, 2}});
        data.addTags(r2, 2, {{2, 0, 1}, {3, 1, 2}});
        update();
    }
    int r0 = 0;
    int r1 = 0;
    int r2 = 0;
};

TEST(ReleaseSummaryGroups, GroupsPoolTheCountsAndTakeThePooledAndReleaseMarks)
{
    ThreeReleases d;
    const ReleaseSummary& s = d.summary;
    ASSERT_EQ(s.dataClass(), DataClass::SeveralSitesSeveralYears);
    EXPECT_EQ(s.yearGroupKeys(), (QList<int>{0, 1}));
    EXPECT_EQ(s.siteGroupKeys(), (QList<int>{0, 1}));

    // Year 0: r0 and r2; the keys are r0's, which include r2's. r0 passes release site 1
    // unseen: its fish are counted on the path out of it.
    const SummaryTables& year0 = s.yearGroup(0);
    EXPECT_EQ(year0.transitions.size(), s.transitionCells(ReleasePos{0}).size());
    EXPECT_EQ(cellOf(year0.transitions, 2, 0, 0).nextCount, 20);
    EXPECT_EQ(cellOf(year0.transitions, 3, 0, 1).nextCount, 2);
    EXPECT_EQ(cellOf(s.siteGroup(1).transitions, 3, 0, 0).nextCount, 8) << "r2 alone";
    // Capture counts: the group's share of every counted detection.
    EXPECT_EQ(captureOf(year0.captures, 1, 3).count, 2);
    EXPECT_EQ(captureOf(s.siteGroup(0).captures, 1, 3).count, 6);
    EXPECT_EQ(captureOf(s.pooledCaptureCells(), 0, 2).count, 20);
    EXPECT_EQ(captureOf(year0.captures, 0, 2).arriving, (QVector<PathKey>{{2, 0, 0}}));

    // Nobody held over before site 2: fixed in every release and group with the key. A cell
    // is exempt in a group when exempt in every release of the group that has it. Test
    // counts: the sum over the group's releases.
    expectMarks(s.pooledTransitionCells(), {{2, 0, 1, "exempt"}});
    expectMarks(year0.transitions, {{2, 0, 1, "exempt zero"}, {3, 0, 1, ""}});
    expectMarks(s.siteGroup(1).transitions, {{2, 0, 1, "exempt zero"}});
    expectMarks(s.transitionCells(ReleasePos{0}), {{3, 0, 1, "exempt holdover zero"}});
    expectMarks(s.siteGroup(0).transitions, {{3, 0, 1, "exempt"}});
    EXPECT_EQ(cellOf(year0.transitions, 3, 0, 1).testCount, 2);
    EXPECT_EQ(cellOf(year0.transitions, 2, 0, 0).testCount, 20);
    // Every fish of r1 that went on from site 2 in year 1 reached the final site that year.
    for (const SummaryTables* tables : {&s.pooledTables(), &s.yearGroup(0), &s.siteGroup(1)})
        EXPECT_TRUE(cellOf(tables->transitions, 3, 1, 1).fixedAtOne);
    EXPECT_FALSE(cellOf(year0.transitions, 3, 0, 0).fixedAtOne);
}

TEST(ReleaseSummaryGroups, UpdateStartsAfresh)
{
    ThreeReleases d;
    d.data.releases.clear();
    d.data.addRelease(1, 0);
    d.data.addTags(0, 1, {{2, 0, 1}});
    const ReleaseSummary& s = d.update();
    EXPECT_EQ(s.dataClass(), DataClass::OneSiteOneYear);
    EXPECT_EQ(s.releaseCount(), 1);
    EXPECT_TRUE(s.yearGroupKeys().isEmpty());
    EXPECT_TRUE(s.siteGroupKeys().isEmpty());
}

// The names and nesting a reader of the exported file relies on.
TEST(ReleaseSummaryJson, ExportsIndicatorsReleasesPoolAndGroups)
{
    ThreeReleases d;
    const QJsonObject root = ReleaseSummaryJson(d.summary, d.data.releases).document().object();
    EXPECT_EQ(root.value("dataClass").toInt(), 3);
    for (const char* key :
         {"eachReleaseEstimable", "firstGroupEstimable", "secondGroupEstimable", "pooledEstimable"})
        EXPECT_TRUE(root.value(key).toBool()) << key;

    const QJsonArray releases = root.value("releases").toArray();
    ASSERT_EQ(releases.size(), 3);
    const QJsonObject third = releases.at(2).toObject();
    EXPECT_EQ(third.value("label").toString(), QStringLiteral("S1 2008"));
    EXPECT_EQ(third.value("site").toInt(), 1);
    EXPECT_TRUE(third.value("estimable").toBool());
    const QJsonArray cells = third.value("transitionCells").toArray();
    ASSERT_EQ(cells.size(), 5);
    // Down-river key order: (2,0,0), (2,0,1), (3,0,0), (3,0,1), (3,1,1).
    const QJsonObject holdOver = cells.at(1).toObject();
    EXPECT_EQ(holdOver.value("site").toInt(), 2);
    EXPECT_EQ(holdOver.value("y1").toInt(), 0);
    EXPECT_EQ(holdOver.value("y2").toInt(), 1);
    EXPECT_TRUE(holdOver.value("exempt").toBool() && holdOver.value("fixedAtZero").toBool());
    EXPECT_FALSE(holdOver.value("fixedAtOne").toBool() || holdOver.value("emptyHoldOver").toBool());
    EXPECT_TRUE(cells.at(4).toObject().value("fixedAtOne").toBool());
    EXPECT_EQ(cells.at(2).toObject().value("nextCount").toInt(), 8);
    EXPECT_EQ(cells.at(2).toObject().value("testCount").toInt(), 8);
    const QJsonArray captures = third.value("captureCells").toArray();
    ASSERT_EQ(captures.size(), 1 + 2 * 2);
    const QJsonObject atSite2 = captures.at(1).toObject();
    EXPECT_EQ(atSite2.value("count").toInt(), 10);
    EXPECT_EQ(atSite2.value("removals").toInt(), 0);
    EXPECT_FALSE(atSite2.value("fixedAtZero").toBool());

    EXPECT_EQ(root.value("pooled").toObject().value("transitionCells").toArray().size(),
              int(d.summary.pooledTransitionCells().size()));
    const QJsonArray yearGroups = root.value("yearGroups").toArray();
    ASSERT_EQ(yearGroups.size(), 2);
    EXPECT_EQ(yearGroups.at(1).toObject().value("key").toInt(), 1);
}

} // namespace
