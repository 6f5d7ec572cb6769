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

TEST_F(ObsDataLoaderTest, FilteredRowsAreIgnoredWhateverTheyHoldButATagCodeAndShortRowsArePadded)
{
    const auto loader =
        load(exportRow("BAD", "not a time", "NOWHERE", "never", "NOSITE", "", "A") +
             exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "garbage", "XXX", "", "A") +
             exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "2008-05-10 08:00:00", "GRJ", "01"));
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(rowsIn("tags"), 1);
    EXPECT_EQ(rows("select tag_id from observations"), QStringList({"TAG1"}));
    EXPECT_EQ(loader->summary().ignoredRows, 2);

    // Short rows are padded; lines of commas are skipped.
    const auto shortRows = load(",,,,,,,\n\nM,x,TAG9,,2008-04-01 10:00:00,,,,,,,UPR\n");
    EXPECT_EQ(shortRows->summary().rows, 1) << shortRows->errors.join("; ").toStdString();
    EXPECT_EQ(rows("select id from tags"), QStringList({"TAG9"}));
    const auto refused = load(exportRow("", "2008-04-01 10:00:00", "UPR", "", "", "", "A"));
    EXPECT_EQ(refused->errors, QStringList({"Missing tagId at line 1 of \"" + dir +
                                            "/export.csv\": column \"Tag Code\" is empty"}));
}

TEST_F(ObsDataLoaderTest, TagCodesThatLookLikeSqlTouchOnlyTheirOwnRows)
{
    ASSERT_FALSE(
        load(exportRow("id", "2008-04-01 10:00:00", "UPR", "2008-05-10 08:00:00", "GRJ", "01") +
             exportRow("tags", "2008-04-01 10:00:00", "UPR") +
             exportRow("select", "2008-04-01 10:00:00", "UPR", "2008-05-12 08:00:00", "GRJ", "0A") +
             exportRow("Id", "2008-04-01 10:00:00", "UPR", "2008-05-13 08:00:00", "GRJ", "01"))
            ->failed());
    EXPECT_EQ(rowsIn("tags"), 4) << "codes differing in letter case are different tags";
    EXPECT_EQ(rows("select tag_id, disposition from observations order by id"),
              QStringList({"id 1", "select 2", "Id 1"}));
    // Quotes never reach a statement: a tag code holds letters, digits and dots only.
    EXPECT_TRUE(load(exportRow("x\" or \"1\"=\"1", "2008-04-01 10:00:00", "UPR"))->failed());
    EXPECT_EQ(rowsIn("tags"), 4);
}

// More detections than one batch of inserts holds, and a part batch after them.
TEST_F(ObsDataLoaderTest, EveryDetectionIsStoredInTheOrderOfTheFile)
{
    QByteArray content;
    for (int i = 0; i < 130; ++i) {
        const QByteArray time =
            QString::asprintf("2008-05-10 08:%02d:%02d", i / 60, i % 60).toUtf8();
        content += exportRow("TAG1", "2008-04-01 10:00:00", "UPR", time, "GRJ", "01");
    }
    const auto loader = load(content);
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(rowsIn("observations"), 130);
    EXPECT_EQ(rows("select count(*) from observations a join observations b on b.id = a.id + 1 "
                   "where b.obs_time > a.obs_time and b.tag_id = 'TAG1'"),
              QStringList({"129"}));
}

TEST_F(ObsDataLoaderTest, ALoadDropsTheIndexesAnOlderVersionKeptOnTheDetections)
{
    ASSERT_TRUE(
        rdb.database()->exec("create index idx_observations_site_id on observations (site_id)"));
    const auto loader = load(twoTagExport());
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(rows("select count(*) from sqlite_master where type = 'index' and "
                   "tbl_name = 'observations'"),
              QStringList({"0"}));
}

// Windows line ends with a UTF-8 mark (before a comment or the first tag code), and UTF-16.
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

TEST_F(ObsDataLoaderTest, ASecondStudyReplacesTheFirstAndItsCohorts)
{
    ASSERT_FALSE(load(twoTagExport())->failed());
    // Age data of the first study, with a cohort the analysis is restricted to.
    ASSERT_TRUE(rdb.database()->exec("insert into cohorts (cohort, active) values (2006, 1)"));
    ASSERT_TRUE(rdb.database()->exec("update tags set cohort_id = 1"));

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

// Each refused file ends the load with its message and leaves the study loaded before it
// exactly as it was.
class ObsDataLoaderErrorsTest : public test::ObsDataLoaderFixture
{
protected:
    void SetUp() override
    {
        ObsDataLoaderFixture::SetUp();
        const auto first = load(
            exportRow("OLD1", "2007-04-01 10:00:00", "UPR", "2007-05-01 10:00:00", "GRJ", "01") +
                exportRow("OLD2", "2007-04-01 10:00:00", "UPR"),
            "first.csv");
        ASSERT_FALSE(first->failed());
        ASSERT_TRUE(rdb.database()->exec("insert into cohorts (cohort, active) values (2005, 1)"));
        before = studyDump();
    }

    void expectRefused(const QByteArray& content, const QString& message)
    {
        SCOPED_TRACE(message.toStdString());
        const auto loader = load(content, "second.csv");
        EXPECT_TRUE(loader->failed());
        // A refused file is a failure of its own, not a cancel.
        EXPECT_TRUE(loader->hasFailed());
        EXPECT_FALSE(loader->isCanceled());
        EXPECT_EQ(loader->errors, QStringList({message}));
        EXPECT_EQ(studyDump(), before);
        EXPECT_EQ(
            rows("select count(*) from sqlite_master where type = 'index' and name like 'idx_%'"),
            QStringList({"3"}))
            << "indexes dropped for the load are back";
    }

    QStringList before;
};

const QByteArray good1 =
    exportRow("T1", "2008-04-01 10:00:00", "UPR", "2008-05-10 08:00:00", "GRJ", "01");

TEST_F(ObsDataLoaderErrorsTest, RowErrorsNameTheirPhysicalLine)
{
    // Comments and blank lines count: the faulty row is always on line 4.
    const QByteArray head = "# header\n" + good1 + "\n";
    // Each message names the file, the line, the column and the value.
    const struct
    {
        QByteArray row;
        const char* message;
        const char* field;
    } cases[] = {
        {exportRow("T2", "2008-04-01 10:00:00", ""), "No release site specified",
         "column \"Release Site\" is empty"},
        {exportRow("T2", "2008-04-01 10:00:00", "NOWHERE"), "Unrecognized release site",
         "column \"Release Site\" holds \"NOWHERE\""},
        {exportRow("T2", "2008-04-01 24:00:00", "UPR"), "Invalid release time",
         "column \"Release Date\" holds \"2008-04-01 24:00:00\""},
        {exportRow("T1", "2008-04-01 10:00:00", "UPR", "2008-13-01 10:00:00", "GRJ"),
         "Invalid observation time", "column \"Event Date\" holds \"2008-13-01 10:00:00\""},
        {exportRow("T1", "2008-04-01 10:00:00", "UPR", "2008-05-01 10:00:00", "XYZ"),
         "Unrecognized observation site", "column \"Event Site\" holds \"XYZ\""},
    };
    for (const auto& c : cases)
        expectRefused(head + c.row + good1,
                      QString(c.message) + " at line 4 of \"" + dir + "/second.csv\": " + c.field);
}

// Rows that were stored though they cannot be right: a detection before the release (or in
// 1899), a later row of a tag with another release, a tag code with a blank, a byte-order mark
// or a date in it, a row given twice, an unknown event type.
TEST_F(ObsDataLoaderErrorsTest, RowsThatContradictTheirTagOrTheCalendarAreRefused)
{
    const QByteArray head = "# header\n" + good1 + "\n";
    QByteArray markk = exportRow("T2", "2008-04-01 10:00:00", "UPR");
    markk.replace(",UPR,,", ",UPR,Markk,");
    const struct
    {
        QByteArray rows;
        const char* message;
        const char* field;
    } cases[] = {
        {exportRow("T2", "2008-04-01 10:00:00", "UPR", "2001-05-01 10:00:00", "GRJ"),
         "Detection before the fish's release (2008-04-01 10:00:00); expected an event date after "
         "the release date",
         "column \"Event Date\" holds \"2001-05-01 10:00:00\""},
        {exportRow("T2", "1899-04-01 10:00:00", "UPR"),
         "Implausible release year; expected 1950 to 2100",
         "column \"Release Date\" holds \"1899-04-01 10:00:00\""},
        {exportRow("T1", "2008-04-01 10:00:00", "MIDR", "2008-05-11 08:00:00", "GRJ"),
         "Another release site than line 2 gives this tag (\"UPR\"); expected the same release "
         "on every row of a tag",
         "column \"Release Site\" holds \"MIDR\""},
        {exportRow("T1", "2008-04-02 10:00:00", "UPR", "2008-05-11 08:00:00", "GRJ"),
         "Another release date than line 2 gives this tag (\"2008-04-01 10:00:00\"); expected the "
         "same release on every row of a tag",
         "column \"Release Date\" holds \"2008-04-02 10:00:00\""},
        {exportRow(" T2", "2008-04-01 10:00:00", "UPR"),
         "Invalid tag code; expected up to 32 letters, digits and dots, such as 3D9.1C2D8F2B5F",
         "column \"Tag Code\" holds \" T2\""},
        {exportRow("\xEF\xBB\xBFT2", "2008-04-01 10:00:00", "UPR"),
         "Invalid tag code; expected up to 32 letters, digits and dots, such as 3D9.1C2D8F2B5F",
         "column \"Tag Code\" holds \"T2\" after a byte-order mark (U+FEFF)"},
        {exportRow("\"T2\"", "2008-04-01 10:00:00", "UPR"),
         "Invalid tag code; expected up to 32 letters, digits and dots, such as 3D9.1C2D8F2B5F",
         "column \"Tag Code\" holds \"\"T2\"\" (quoted fields are not supported: export the "
         "file without quotes)"},
        {good1, "The whole row repeats line 2; expected each row once",
         "column \"Tag Code\" holds \"T1\""},
        {markk,
         "Unknown event type; expected Mark, Observation, Recapture, Recovery, Mortality, "
         "Passive Recapture or Release",
         "column \"Event Type\" holds \"Markk\""},
    };
    for (const auto& c : cases)
        expectRefused(head + c.rows, QString::fromUtf8(c.message) + " at line 4 of \"" + dir +
                                         "/second.csv\": " + QString::fromUtf8(c.field));
}

TEST_F(ObsDataLoaderErrorsTest, ASplitRunOfATagIsADuplicate)
{
    const QByteArray content =
        good1 + exportRow("T2", "2008-04-01 10:00:00", "UPR") +
        exportRow("T1", "2008-04-01 10:00:00", "UPR", "2008-06-10 08:00:00", "B2J", "1");
    expectRefused(content, "Duplicate tag at line 3 of \"" + dir +
                               "/second.csv\": column \"Tag Code\" holds \"T1\"");
}

TEST_F(ObsDataLoaderErrorsTest, ATagRepeatedAfterThousandsOfOthersIsADuplicate)
{
    QByteArray content = good1;
    for (int i = 0; i < 3000; ++i)
        content += exportRow("N" + QByteArray::number(i), "2008-04-01 10:00:00", "UPR");
    content += exportRow("N17", "2008-04-01 10:00:00", "UPR");
    expectRefused(content, "Duplicate tag at line 3002 of \"" + dir +
                               "/second.csv\": column \"Tag Code\" holds \"N17\"");
}

TEST_F(ObsDataLoaderErrorsTest, FilesThatHoldNoExportAreRefusedAndAMissingOneChangesNothing)
{
    const QString name = dir + "/second.csv";
    expectRefused("", "File \"" + name + "\" is empty");
    expectRefused("\xEF\xBB\xBF \r\n\r\n", "File \"" + name + "\" is empty");
    expectRefused(QByteArray("PK\x03\x04\x00\x00binary", 12) + good1,
                  "File \"" + name + "\" is not a text file");
    expectRefused("# only a comment\n,,,,\n", "No detection records in file \"" + name + "\"");

    const auto missing = loadFile(dir + "/missing.csv");
    EXPECT_EQ(missing->errors,
              QStringList({"Unable to open file \"" + dir + "/missing.csv\" for reading"}));
    EXPECT_EQ(studyDump(), before);
}

TEST_F(ObsDataLoaderErrorsTest, AColumnTitleRowIsRefusedUnlessCommentedOut)
{
    const QByteArray titles = "Mark File,Mark Site,Tag Code,Species,Release Date,a,b,c,d,e,f,"
                              "Release Site,g,h,i,Obs Time,Obs Site,Coil,Filter\n";
    expectRefused(titles + good1, "Column titles instead of data at line 1; comment the title "
                                  "line out with \"#\"");
    const auto loader = load("#" + titles + good1, "commented.csv");
    EXPECT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(rowsIn("tags"), 1);
}

TEST_F(ObsDataLoaderErrorsTest, ACanceledLoadChangesNothing)
{
    QByteArray content;
    for (int i = 0; i < 5000; ++i)
        content += exportRow("C" + QByteArray::number(i), "2008-04-01 10:00:00", "UPR");
    const QString path = dir + "/long.csv";
    test::writeFile(path, content);
    test::RecordingObsDataLoader loader(path, &releases, &sites, &years, configPath, nullptr, &rdb);
    loader.setSitesConfig(&config, &settings);
    loader.setCanceled(true);
    loader.run();
    EXPECT_TRUE(loader.failed());
    EXPECT_TRUE(loader.errors.isEmpty());
    EXPECT_EQ(loader.statuses.value(loader.statuses.size() - 1),
              "Loading canceled; the database is unchanged");
    EXPECT_EQ(studyDump(), before);
}

} // namespace
} // namespace rivulet
