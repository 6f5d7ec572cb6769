// The controllers of sites, releases, years and cohorts on a fresh study database.

#include "ControllerFixture.h"
#include "rivulet/data/CohortsController.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"

#include <QDate>
#include <QSet>

namespace rivulet {
namespace {

class SitesControllerTest : public test::ControllerFixture
{
protected:
    // Five sites added in scrambled order, then ordered A..E down-river.
    QList<int> addFiveSites()
    {
        catalog.order = QStringList({"A", "B", "C", "D", "E"});
        QMap<QString, int> ids;
        for (const QString& code : QStringList{"C", "A", "E", "B", "D"})
            ids[code] = sites.siteId(code, "short" + code, "Long " + code).value();
        EXPECT_TRUE(sites.orderSites());
        sites.refresh();
        return {ids["A"], ids["B"], ids["C"], ids["D"], ids["E"]};
    }
    int activeSequence(int id) const
    {
        return intAt("select active_sequence from sites where id = ?", {id});
    }

    test::FixedSiteCatalog catalog;
    SitesController sites{catalog, rdb};
};

TEST_F(SitesControllerTest, NamesThatLookLikeColumnsOrQuotesAreMatchedLiterally)
{
    const int first = sites.siteId("X", "Granite", "Lower Granite Dam").value();
    EXPECT_EQ(sites.siteId("X", "Granite", "Lower Granite Dam").value(), first);
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {first}), -1)
        << "new sites are inactive";
    // Pasted between double quotes, "short_name" would be read as the column and match
    // every row.
    const int columnNamed = sites.siteId("short_name", "short_name", "short_name").value();
    const int quoted = sites.siteId("Q", "a\" or \"1\"=\"1", "quoted").value();
    EXPECT_EQ(QSet<int>({first, columnNamed, quoted}).size(), 3);

    // Ordering by a code equal to a column name touches that site only.
    catalog.order = QStringList({"code", "X"});
    const int codeNamed = sites.siteId("code", "code", "code").value();
    ASSERT_TRUE(sites.orderSites());
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {codeNamed}), 0);
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {first}), 1);
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {columnNamed}), -1);
}

TEST_F(SitesControllerTest, OrdersSitesDownRiverAndTheLastSiteOrARemovalChangesThePositions)
{
    const QList<int> ids = addFiveSites();
    EXPECT_EQ(sites.ids(), ids);
    EXPECT_EQ(sites.shortNames(), QStringList({"shortA", "shortB", "shortC", "shortD", "shortE"}));
    const int unknown = sites.siteId("Z", "shortZ", "Long Z").value();
    ASSERT_TRUE(sites.orderSites());
    sites.refresh();
    EXPECT_EQ(sites.indexOf(unknown), -1) << "codes the catalog does not list are left out";

    ASSERT_TRUE(sites.setLastSite(3));
    sites.refresh();
    EXPECT_EQ(sites.ids(), ids.mid(0, 4));
    EXPECT_EQ(sites.shortNames().at(3), "shortD & downstream");
    EXPECT_EQ(sites.longNames().at(3), "Long D");
    EXPECT_EQ(activeSequence(ids.at(4)), 3);
    EXPECT_FALSE(sites.setLastSite(7)) << "no site has that position";

    // Removing a site keeps the earlier positions; a reset brings every site back.
    ASSERT_TRUE(sites.resetActive());
    sites.refresh();
    ASSERT_TRUE(sites.removeSite(ids.at(1)));
    sites.refresh();
    EXPECT_EQ(sites.ids(), QList<int>({ids.at(0), ids.at(2), ids.at(3), ids.at(4)}));
    EXPECT_EQ(activeSequence(ids.at(1)), -1);
    EXPECT_EQ(activeSequence(ids.at(4)), 3);
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {ids.at(4)}), 4);
    ASSERT_TRUE(sites.resetActive());
    sites.refresh();
    EXPECT_EQ(sites.ids(), ids);
}

using ReleasesControllerTest = test::ControllerFixture;

TEST_F(ReleasesControllerTest, OneReleasePerSiteAndYearOrderedBySiteThenYearAndSelectable)
{
    test::FixedSiteCatalog catalog;
    catalog.order = QStringList({"UP", "MID"});
    SitesController sites(catalog, rdb);
    YearsController years(rdb);
    // Added down-river and late first, so ids and positions differ.
    const int mid = sites.siteId("MID", "MID", "Middle").value();
    const int up = sites.siteId("UP", "XYZ", "Upper").value();
    const int y2009 = years.calendarYearId(2009).value();
    const int y2008 = years.calendarYearId(2008).value();
    ASSERT_TRUE(sites.orderSites());
    ASSERT_TRUE(years.orderYears());

    ReleasesController releases(rdb);
    const int midLate = releases.releaseId(mid, y2009).value();
    const int upLate = releases.releaseId(up, y2009).value();
    const int upEarly = releases.releaseId(up, y2008).value();
    EXPECT_EQ(releases.releaseId(up, y2009).value(), upLate);
    EXPECT_EQ(intAt("select count(*) from releases"), 3);
    EXPECT_EQ(releases.releaseSiteId(upEarly), up);
    EXPECT_EQ(releases.releaseYearId(upEarly), y2008);
    ASSERT_TRUE(releases.orderReleases());
    releases.refresh();
    EXPECT_EQ(releases.ids(), QList<int>({upEarly, upLate, midLate}));
    EXPECT_EQ(releases.labels(), QStringList({"XYZ 2008", "XYZ 2009", "MID 2009"}));
    EXPECT_EQ(releases.years(), QList<int>({2008, 2009, 2009}));

    ASSERT_TRUE(releases.setActiveReleases({midLate, upEarly}));
    releases.refresh();
    EXPECT_EQ(releases.ids(), QList<int>({midLate, upEarly}));
    EXPECT_EQ(releases.indexOf(ReleaseId{upLate}).value, -1);
    EXPECT_EQ(releases.allIds(), QList<int>({upEarly, upLate, midLate}))
        << "all releases keep their order";
    ASSERT_TRUE(releases.setActiveReleases({}));
    releases.refresh();
    EXPECT_EQ(releases.count(), 0);
}

using YearsControllerTest = test::ControllerFixture;

TEST_F(YearsControllerTest, CalendarYearsOfDateTimesAreOrderedChronologically)
{
    YearsController years(rdb);
    const int y2010 = years.yearId("2010-04-23 14:05:00").value();
    EXPECT_EQ(years.yearId("2010-12-31 23:59:59").value(), y2010);
    EXPECT_EQ(years.calendarYearId(2010).value(), y2010);
    EXPECT_FALSE(years.yearId("no year"));
    const int y2008 = years.calendarYearId(2008).value();
    const int y2009 = years.calendarYearId(2009).value();
    years.refresh();
    EXPECT_EQ(years.count(), 0) << "unordered years are not active";

    ASSERT_TRUE(years.orderYears());
    years.refresh();
    EXPECT_EQ(years.ids(), QList<int>({y2008, y2009, y2010}));
    EXPECT_EQ(years.yearLabels(), QStringList({"2008", "2009", "2010"}));
    EXPECT_EQ(years.firstYear(), 2008);
    // Julian days begin at noon.
    EXPECT_DOUBLE_EQ(years.beginDays().at(0), QDate(2008, 1, 1).toJulianDay() - 0.5);
    EXPECT_DOUBLE_EQ(years.endDays().at(0), QDate(2009, 1, 1).toJulianDay() - 0.5 - 1.0 / 86400);

    ASSERT_TRUE(years.removeYear(y2008));
    years.refresh();
    EXPECT_EQ(years.ids(), QList<int>({y2009, y2010}));
    EXPECT_EQ(years.firstYear(), 2009);
    EXPECT_EQ(intAt("select active_sequence from years where id = ?", {y2010}), 1);
    EXPECT_FALSE(years.removeYear(y2008)) << "an inactive year cannot be removed again";
    ASSERT_TRUE(years.resetActive());
    years.refresh();
    EXPECT_EQ(years.ids(), QList<int>({y2008, y2009, y2010}));
}

using CohortsControllerTest = test::ControllerFixture;

TEST_F(CohortsControllerTest, AddsEachCohortOnceAndAtMostOneIsActiveForEveryReader)
{
    CohortsController reader(rdb);
    CohortsController cohorts(rdb);
    const int c2009 = cohorts.cohortId(2009).value();
    const int c2007 = cohorts.cohortId(2007).value();
    EXPECT_EQ(cohorts.cohortId(2009).value(), c2009);
    EXPECT_EQ(cohorts.cohortNumbers(), QList<int>({2007, 2009}));
    EXPECT_EQ(cohorts.cohortIds(), QList<int>({c2007, c2009}));
    EXPECT_EQ(cohorts.activeCohortId(), -1);
    ASSERT_TRUE(cohorts.setActiveCohort(c2007));
    ASSERT_TRUE(cohorts.setActiveCohort(c2009));
    EXPECT_EQ(cohorts.activeFlags(), QList<int>({0, 1}));
    EXPECT_EQ(intAt("select count(*) from cohorts where active = 1"), 1);
    // The reader's lists were read before; refresh brings the change in.
    reader.refresh();
    EXPECT_EQ(reader.activeCohortId(), c2009);
    ASSERT_TRUE(cohorts.clearActiveCohort());
    EXPECT_EQ(cohorts.activeCohortId(), -1);
    EXPECT_EQ(intAt("select count(*) from cohorts where active = 1"), 0);
}

} // namespace
} // namespace rivulet
