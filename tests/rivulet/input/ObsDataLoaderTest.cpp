#include "ObsDataLoaderFixture.h"

namespace rivulet {
namespace {

using test::exportRow;
using ObsDataLoaderTest = test::ObsDataLoaderFixture;

QByteArray twoTagExport()
{
    return "# exported for a test\n" +
           exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "2008-05-01 08:00:00", "TRP", "A1") +
           exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "2008-05-10 08:00:00", "GRJ", "01") +
           exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "2009-06-01 12:00:00", "B2J", "1A") +
           exportRow("TAG2", "2009-04-02 11:00:00", "MIDR", "2009-05-11 09:30:00", "GRJ", "0A");
}

const QStringList twoTagObservations = {
    "TAG1 TRAP 2008 2008-05-01 08:00:00 1", "TAG1 LGR 2008 2008-05-10 08:00:00 1",
    "TAG1 BON 2009 2009-06-01 12:00:00 2", "TAG2 LGR 2009 2009-05-11 09:30:00 2"};
const char* const observationsSql =
    "select o.tag_id, s.code, y.year, o.obs_time, o.disposition from observations o "
    "join sites s on o.site_id = s.id join years y on o.migration_year_id = y.id order by o.id";

TEST_F(ObsDataLoaderTest, StoresTagsReleasesAndDetectionsWithDispositionsYearsAndOrder)
{
    const auto loader = load(twoTagExport());
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(loader->captions,
              QStringList({"Loading \"" + loader->fileName() + "\"", "Updating"}));
    EXPECT_EQ(rows("select t.id, s.code, y.year, t.cohort_id, t.release_time from tags t join "
                   "releases r on t.release_id = r.id join sites s on r.release_site_id = s.id "
                   "join years y on r.release_year_id = y.id order by t.id"),
              QStringList({"TAG1 UPR 2008 -1 2008-04-01 10:00:00",
                           "TAG2 MIDR 2009 -1 2009-04-02 11:00:00"}));
    // Trap with an "R" rule, dam coil under "R", a site without rules, a dam coil under "T".
    EXPECT_EQ(rows(observationsSql), twoTagObservations);
    const ObsLoadSummary& n = loader->summary();
    EXPECT_EQ(QList<int>({n.lines, n.rows, n.tags, n.detections, n.droppedDetections, n.releases,
                          n.sites, n.years}),
              QList<int>({5, 4, 2, 4, 0, 2, 5, 2}));

    // Release sites first, then down-river; years and releases in the analysis order.
    sites.refresh();
    years.refresh();
    releases.refresh();
    ASSERT_EQ(sites.shortNames(), QStringList({"UPR", "Middle", "Trap", "LGR", "BON"}));
    EXPECT_EQ(sites.longNames().at(2), "Upper Trap");
    EXPECT_EQ(years.years(), QList<int>({2008, 2009}));
    EXPECT_EQ(releases.labels(), QStringList({"UPR 2008", "Middle 2009"}));
}

TEST_F(ObsDataLoaderTest, KeepsTagsWithoutDetectionsAndDropsDetectionsNotDownstream)
{
    const auto loader =
        load(exportRow("QUIET", "2008-04-01 10:00:00", "UPR") +
             // The trap lies upstream of the middle release site: dropped without a word.
             exportRow("MID1", "2008-04-01 10:00:00", "MIDR", "2008-04-20 10:00:00", "TRP", "A1") +
             exportRow("MID1", "2008-04-01 10:00:00", "MIDR", "2008-05-20 10:00:00", "GRJ", "02"));
    ASSERT_FALSE(loader->failed());
    EXPECT_EQ(rowsIn("tags"), 2);
    EXPECT_EQ(rows("select tag_id from observations"), QStringList({"MID1"}));
    EXPECT_EQ(loader->summary().droppedDetections, 1);
    EXPECT_TRUE(loader->warnings.isEmpty());
}

TEST_F(ObsDataLoaderTest, FilteredRowsAreIgnoredWhateverTheyHoldButATagCode)
{
    const auto loader =
        load(exportRow("BAD", "not a time", "NOWHERE", "never", "NOSITE", "", "A") +
             exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "garbage", "XXX", "", "A") +
             exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "2008-05-10 08:00:00", "GRJ", "01"));
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(rowsIn("tags"), 1);
    EXPECT_EQ(rows("select tag_id from observations"), QStringList({"TAG1"}));
    EXPECT_EQ(loader->summary().ignoredRows, 2);

    const auto refused = load(exportRow("", "2008-04-01 10:00:00", "UPR", "", "", "", "A"));
    EXPECT_EQ(refused->errors, QStringList({"Missing tagId at line 1 of \"" + dir +
                                            "/export.csv\": column \"Tag Code\" is empty"}));
}

TEST_F(ObsDataLoaderTest, TheLastSecondOfAYearBelongsToThatYear)
{
    ASSERT_FALSE(
        load(exportRow("TAG1", "2011-04-01 10:00:00", "UPR", "2011-12-31 23:59:59", "GRJ", "01") +
             exportRow("TAG1", "2011-04-01 10:00:00", "UPR", "2012-01-01 00:00:00", "B2J", "1"))
            ->failed());
    EXPECT_EQ(rows(observationsSql), QStringList({"TAG1 LGR 2011 2011-12-31 23:59:59 1",
                                                  "TAG1 BON 2012 2012-01-01 00:00:00 2"}));
}

TEST_F(ObsDataLoaderTest, TagCodesThatLookLikeSqlTouchOnlyTheirOwnRows)
{
    ASSERT_FALSE(
        load(exportRow("id", "2008-04-01 10:00:00", "UPR", "2008-05-10 08:00:00", "GRJ", "01") +
             exportRow("tag_id", "2008-04-01 10:00:00", "UPR") +
             exportRow("x\" or \"1\"=\"1", "2008-04-01 10:00:00", "UPR", "2008-05-12 08:00:00",
                       "GRJ", "0A") +
             exportRow("Id", "2008-04-01 10:00:00", "UPR", "2008-05-13 08:00:00", "GRJ", "01"))
            ->failed());
    EXPECT_EQ(rowsIn("tags"), 4) << "codes differing in letter case are different tags";
    EXPECT_EQ(rows("select tag_id, disposition from observations order by id"),
              QStringList({"id 1", "x\" or \"1\"=\"1 2", "Id 1"}));
}

// Windows line ends with a UTF-8 mark (before a comment or right before the first tag code),
// and UTF-16 with its mark.
TEST_F(ObsDataLoaderTest, ReadsWindowsLineEndsAndByteOrderMarks)
{
    const QByteArray body = twoTagExport().mid(twoTagExport().indexOf('\n') + 1);
    const QString text = QString::fromUtf8(twoTagExport()).replace("\n", "\r\n");
    QByteArray utf16("\xFF\xFE", 2);
    for (const QChar c : text) {
        utf16.append(char(c.unicode() & 0xFF));
        utf16.append(char(c.unicode() >> 8));
    }
    const QByteArray contents[] = {
        QByteArray("\xEF\xBB\xBF") + text.toUtf8(),
        QByteArray("\xEF\xBB\xBF") + QByteArray(body).replace("\n", "\r\n"), utf16};
    for (const QByteArray& content : contents) {
        const auto loader = load(content);
        ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
        EXPECT_EQ(rows("select id from tags order by id"), QStringList({"TAG1", "TAG2"}));
        EXPECT_EQ(rows(observationsSql), twoTagObservations) << "no line end in the texts";
    }
}

TEST_F(ObsDataLoaderTest, ShortRowsArePaddedAndCommaOnlyLinesSkipped)
{
    const auto loader = load(",,,,,,,\n\nM,x,TAG9,,2008-04-01 10:00:00,,,,,,,UPR\n");
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(rowsIn("tags"), 1);
    EXPECT_EQ(loader->summary().rows, 1);
}

TEST_F(ObsDataLoaderTest, ASecondStudyReplacesTheFirstAndItsCohorts)
{
    ASSERT_FALSE(load(twoTagExport())->failed());
    // Age data of the first study, with a cohort the analysis is restricted to.
    rdb.database()->exec("insert into cohorts (cohort, active) values (2006, 1)");
    rdb.database()->exec("update tags set cohort_id = 1");

    ASSERT_FALSE(
        load(exportRow("NEW1", "2010-04-01 10:00:00", "MIDR", "2010-05-01 10:00:00", "B2J", "x"),
             "second.csv")
            ->failed());
    EXPECT_EQ(rows("select id, cohort_id from tags"), QStringList({"NEW1 -1"}));
    EXPECT_EQ(QList<int>({rowsIn("observations"), rowsIn("cohorts"), rowsIn("releases"),
                          rowsIn("years"), rowsIn("sites")}),
              QList<int>({1, 0, 1, 1, 2}));
    sites.refresh();
    EXPECT_EQ(sites.shortNames(), QStringList({"Middle", "BON"}));
}

} // namespace
} // namespace rivulet
