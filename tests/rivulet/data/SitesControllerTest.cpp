#include "rivulet/data/SitesController.h"

#include "ControllerFixture.h"

namespace rivulet {
namespace {

class SitesControllerTest : public test::ControllerFixture
{
protected:
    // Five sites added in scrambled order, then ordered A..E down-river.
    QList<int> addFiveSites(SitesController& sites)
    {
        catalog.order = QStringList({"A", "B", "C", "D", "E"});
        QMap<QString, int> ids;
        for (const QString& code : QStringList{"C", "A", "E", "B", "D"})
            ids[code] = sites.siteId(code, "short" + code, "Long " + code);
        EXPECT_EQ(sites.orderSites(), 0);
        sites.refresh();
        return {ids["A"], ids["B"], ids["C"], ids["D"], ids["E"]};
    }

    test::FixedSiteCatalog catalog;
};

TEST_F(SitesControllerTest, NamesThatLookLikeColumnsOrQuotesAreMatchedLiterally)
{
    SitesController sites(catalog, rdb);
    const int first = sites.siteId("X", "Granite", "Lower Granite Dam");
    EXPECT_EQ(sites.siteId("X", "Granite", "Lower Granite Dam"), first);
    const lum::TableData row(
        db(), "select short_name, long_name, code, sequence from sites where id = ?", {first});
    EXPECT_EQ(row.stringValue(0, 0) + "|" + row.stringValue(0, 1) + "|" + row.stringValue(0, 2),
              "Granite|Lower Granite Dam|X");
    EXPECT_EQ(row.intValue(0, 3), -1) << "new sites are inactive";
    // Pasted between double quotes, "short_name" would be read as the column and match
    // every row.
    const int columnNamed = sites.siteId("short_name", "short_name", "short_name");
    const int quoted = sites.siteId("Q", "a\" or \"1\"=\"1", "quoted");
    EXPECT_NE(columnNamed, first);
    EXPECT_NE(quoted, first);
    EXPECT_NE(quoted, columnNamed);
    EXPECT_EQ(intAt("select count(*) from sites"), 3);

    // Ordering by a code equal to a column name touches that site only.
    catalog.order = QStringList({"code", "X"});
    const int codeNamed = sites.siteId("code", "code", "code");
    ASSERT_EQ(sites.orderSites(), 0);
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {codeNamed}), 0);
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {first}), 1);
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {columnNamed}), -1);
}

TEST_F(SitesControllerTest, OrdersSitesDownRiverAndLeavesUnknownCodesOut)
{
    SitesController sites(catalog, rdb);
    const QList<int> ids = addFiveSites(sites);
    EXPECT_EQ(sites.ids(), ids);
    EXPECT_EQ(sites.shortNames(), QStringList({"shortA", "shortB", "shortC", "shortD", "shortE"}));

    const int unknown = sites.siteId("Z", "shortZ", "Long Z");
    ASSERT_EQ(sites.orderSites(), 0);
    sites.refresh();
    EXPECT_EQ(sites.count(), 5);
    EXPECT_EQ(sites.indexOf(unknown), -1);
}

TEST_F(SitesControllerTest, LastSiteStandsForEverythingDownstream)
{
    SitesController sites(catalog, rdb);
    const QList<int> ids = addFiveSites(sites);
    ASSERT_EQ(sites.setLastSite(3), 0);
    sites.refresh();
    ASSERT_EQ(sites.count(), 4);
    EXPECT_EQ(sites.ids(), ids.mid(0, 4));
    EXPECT_EQ(sites.shortNames().at(3), "shortD & downstream");
    EXPECT_EQ(sites.longNames().at(3), "Long D");
    EXPECT_EQ(sites.indexOf(ids.at(4)), -1);
    EXPECT_EQ(intAt("select active_sequence from sites where id = ?", {ids.at(4)}), 3);

    // Merging at the very last site changes nothing visible.
    sites.resetActive();
    sites.setLastSite(4);
    sites.refresh();
    ASSERT_EQ(sites.count(), 5);
    EXPECT_EQ(sites.shortNames().last(), "shortE");
    EXPECT_NE(sites.setLastSite(7), 0) << "no site has that position";
}

TEST_F(SitesControllerTest, RemovingASiteKeepsEarlierPositions)
{
    SitesController sites(catalog, rdb);
    const QList<int> ids = addFiveSites(sites);
    ASSERT_EQ(sites.removeSite(ids.at(1)), 0);
    sites.refresh();
    EXPECT_EQ(sites.ids(), QList<int>({ids.at(0), ids.at(2), ids.at(3), ids.at(4)}));
    EXPECT_EQ(intAt("select active_sequence from sites where id = ?", {ids.at(1)}), -1);
    EXPECT_EQ(intAt("select active_sequence from sites where id = ?", {ids.at(4)}), 3);
    EXPECT_EQ(intAt("select sequence from sites where id = ?", {ids.at(4)}), 4);

    ASSERT_EQ(sites.resetActive(), 0);
    sites.refresh();
    EXPECT_EQ(sites.ids(), ids);
}

} // namespace
} // namespace rivulet
