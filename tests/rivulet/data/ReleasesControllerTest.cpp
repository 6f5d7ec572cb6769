#include "rivulet/data/ReleasesController.h"

#include "ControllerFixture.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"

namespace rivulet {
namespace {

class ReleasesControllerTest : public test::ControllerFixture
{
protected:
    void SetUp() override
    {
        ControllerFixture::SetUp();
        catalog.order = QStringList({"UP", "MID"});
        // Added down-river first, so ids and positions differ.
        mid = sites.siteId("MID", "MID", "Middle");
        up = sites.siteId("UP", "XYZ", "Upper");
        y2009 = years.calendarYearId(2009);
        y2008 = years.calendarYearId(2008);
        sites.orderSites();
        years.orderYears();
    }

    test::FixedSiteCatalog catalog;
    SitesController sites{catalog, rdb};
    YearsController years{rdb};
    int up = -1, mid = -1, y2008 = -1, y2009 = -1;
};

TEST_F(ReleasesControllerTest, OneReleasePerSiteAndYearOrderedBySiteThenYear)
{
    ReleasesController releases(rdb);
    const int midLate = releases.releaseId(mid, y2009);
    const int upLate = releases.releaseId(up, y2009);
    const int upEarly = releases.releaseId(up, y2008);
    EXPECT_EQ(releases.releaseId(up, y2009), upLate);
    EXPECT_EQ(intAt("select count(*) from releases"), 3);
    EXPECT_EQ(releases.releaseSiteId(upEarly), up);
    EXPECT_EQ(releases.releaseYearId(upEarly), y2008);
    EXPECT_EQ(releases.releaseSiteId(9999), -1);
    releases.refresh();
    EXPECT_EQ(releases.count(), 0);

    ASSERT_EQ(releases.orderReleases(), 0);
    releases.refresh();
    EXPECT_EQ(releases.ids(), QList<int>({upEarly, upLate, midLate}));
    EXPECT_EQ(releases.labels(), QStringList({"XYZ 2008", "XYZ 2009", "MID 2009"}));
    EXPECT_EQ(releases.years(), QList<int>({2008, 2009, 2009}));
}

TEST_F(ReleasesControllerTest, ActiveReleasesFollowTheGivenSelection)
{
    ReleasesController releases(rdb);
    const int a = releases.releaseId(up, y2008);
    const int b = releases.releaseId(up, y2009);
    const int c = releases.releaseId(mid, y2009);
    releases.orderReleases();
    releases.refresh();
    ASSERT_EQ(releases.setActiveReleases({c, a}), 0);
    releases.refresh();
    EXPECT_EQ(releases.ids(), QList<int>({c, a}));
    EXPECT_EQ(releases.indexOf(ReleaseId{b}).value, -1);
    EXPECT_EQ(releases.allIds(), QList<int>({a, b, c})) << "all releases keep their order";
    ASSERT_EQ(releases.setActiveReleases({}), 0);
    releases.refresh();
    EXPECT_EQ(releases.count(), 0);
}

} // namespace
} // namespace rivulet
