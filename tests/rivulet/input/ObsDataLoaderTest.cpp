#include "ObsDataLoaderFixture.h"
#include "lum/thread/ThreadRunner.h"

#include <QCoreApplication>

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

TEST_F(ObsDataLoaderTest, StoresTagsReleasesAndDetectionsWithDispositionsYearsAndOrder)
{
    const auto loader = load(twoTagExport());
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_TRUE(loader->errors.isEmpty());
    EXPECT_FALSE(loader->isCanceled());
    EXPECT_EQ(loader->statuses.value(0),
              "Loading alternate sites configuration file \"" + configPath + "\"");
    EXPECT_EQ(loader->captions,
              QStringList({"Loading \"" + loader->fileName() + "\"", "Updating"}));

    EXPECT_EQ(rowsIn("tags"), 2);
    EXPECT_EQ(count("select count(*) from tags t join releases r on t.release_id = r.id "
                    "join sites s on r.release_site_id = s.id join years y "
                    "on r.release_year_id = y.id where t.id = 'TAG2' and s.code = 'MIDR' "
                    "and y.year = 2009 and t.cohort_id = -1 "
                    "and t.release_time = '2009-04-02 11:00:00'"),
              1);
    // Trap with an "R" rule, dam coil under "R", a site without rules, a dam coil under "T".
    const lum::TableData obs(*rdb.database(),
                             "select o.tag_id, s.code, y.year, o.obs_time, o.disposition "
                             "from observations o join sites s on o.site_id = s.id "
                             "join years y on o.migration_year_id = y.id order by o.id");
    ASSERT_EQ(obs.numRows(), 4);
    const QStringList expected = {
        "TAG1 TRAP 2008 2008-05-01 08:00:00 1", "TAG1 LGR 2008 2008-05-10 08:00:00 1",
        "TAG1 BON 2009 2009-06-01 12:00:00 2", "TAG2 LGR 2009 2009-05-11 09:30:00 2"};
    for (int r = 0; r < obs.numRows(); ++r) {
        EXPECT_EQ(QStringList({obs.stringValue(r, 0), obs.stringValue(r, 1), obs.stringValue(r, 2),
                               obs.stringValue(r, 3), obs.stringValue(r, 4)})
                      .join(' '),
                  expected.at(r));
    }

    const ObsLoadSummary& summary = loader->summary();
    EXPECT_EQ(summary.lines, 5);
    EXPECT_EQ(summary.rows, 4);
    EXPECT_EQ(summary.tags, 2);
    EXPECT_EQ(summary.detections, 4);
    EXPECT_EQ(summary.droppedDetections, 0);
    EXPECT_EQ(summary.releases, 2);
    EXPECT_EQ(summary.sites, 5);
    EXPECT_EQ(summary.years, 2);
    // The indexes of tags and detections were rebuilt after the rows.
    EXPECT_EQ(
        count("select count(*) from sqlite_master where type = 'index' and name like 'idx_%' and "
              "tbl_name in ('tags', 'observations')"),
        1);

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
    const QByteArray content =
        exportRow("QUIET", "2008-04-01 10:00:00", "UPR") +
        // The trap lies upstream of the middle release site: dropped without a word.
        exportRow("MID1", "2008-04-01 10:00:00", "MIDR", "2008-04-20 10:00:00", "TRP", "A1") +
        exportRow("MID1", "2008-04-01 10:00:00", "MIDR", "2008-05-20 10:00:00", "GRJ", "02");
    const auto loader = load(content);
    ASSERT_FALSE(loader->failed());
    EXPECT_EQ(rowsIn("tags"), 2);
    EXPECT_EQ(count("select count(*) from observations where tag_id = 'QUIET'"), 0);
    EXPECT_EQ(count("select count(*) from observations where tag_id = 'MID1'"), 1);
    EXPECT_EQ(loader->summary().droppedDetections, 1);
    EXPECT_TRUE(loader->errors.isEmpty());
    EXPECT_TRUE(loader->warnings.isEmpty());
}

TEST_F(ObsDataLoaderTest, FilteredRowsAreIgnoredWhateverTheyHold)
{
    const QByteArray content =
        exportRow("BAD", "not a time", "NOWHERE", "never", "NOSITE", "", "A") +
        exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "garbage", "XXX", "", "A") +
        exportRow("TAG1", "2008-04-01 10:00:00", "UPR", "2008-05-10 08:00:00", "GRJ", "01");
    const auto loader = load(content);
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(rowsIn("tags"), 1);
    EXPECT_EQ(rowsIn("observations"), 1);
    EXPECT_EQ(loader->summary().ignoredRows, 2);

    // An empty tag code is refused even on a filtered row.
    const auto refused = load(exportRow("", "2008-04-01 10:00:00", "UPR", "", "", "", "A"));
    EXPECT_EQ(refused->errors, QStringList({"Missing tagId at line 1 of \"" + dir +
                                            "/export.csv\": column \"Tag Code\" is empty"}));
}

TEST_F(ObsDataLoaderTest, TheLastSecondOfAYearBelongsToThatYear)
{
    const QByteArray content =
        exportRow("TAG1", "2011-04-01 10:00:00", "UPR", "2011-12-31 23:59:59", "GRJ", "01") +
        exportRow("TAG1", "2011-04-01 10:00:00", "UPR", "2012-01-01 00:00:00", "B2J", "1");
    ASSERT_FALSE(load(content)->failed());
    const lum::TableData rows(*rdb.database(), "select y.year from observations o join years y "
                                               "on o.migration_year_id = y.id order by o.id");
    ASSERT_EQ(rows.numRows(), 2);
    EXPECT_EQ(rows.intValue(0, 0), 2011);
    EXPECT_EQ(rows.intValue(1, 0), 2012);
    EXPECT_EQ(count("select count(*) from observations where migration_year_id = -1"), 0);
}

TEST_F(ObsDataLoaderTest, TagCodesThatLookLikeSqlTouchOnlyTheirOwnRows)
{
    const QByteArray content =
        exportRow("id", "2008-04-01 10:00:00", "UPR", "2008-05-10 08:00:00", "GRJ", "01") +
        exportRow("tag_id", "2008-04-01 10:00:00", "UPR") +
        exportRow("x\" or \"1\"=\"1", "2008-04-01 10:00:00", "UPR", "2008-05-12 08:00:00", "GRJ",
                  "0A") +
        exportRow("Id", "2008-04-01 10:00:00", "UPR", "2008-05-13 08:00:00", "GRJ", "01");
    ASSERT_FALSE(load(content)->failed());
    EXPECT_EQ(rowsIn("tags"), 4) << "codes differing in letter case are different tags";
    EXPECT_EQ(count("select count(*) from observations where tag_id = ?", {"id"}), 1);
    EXPECT_EQ(count("select count(*) from observations where tag_id = ?", {"tag_id"}), 0);
    EXPECT_EQ(count("select disposition from observations where tag_id = ?", {"x\" or \"1\"=\"1"}),
              2);
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
    EXPECT_EQ(count("select count(*) from observations a join observations b on b.id = a.id + 1 "
                    "where b.obs_time > a.obs_time and b.tag_id = 'TAG1'"),
              129);
}

TEST_F(ObsDataLoaderTest, ALoadDropsTheIndexesAnOlderVersionKeptOnTheDetections)
{
    ASSERT_EQ(
        rdb.database()->exec("create index idx_observations_site_id on observations (site_id)"), 0);
    const auto loader = load(twoTagExport());
    ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
    EXPECT_EQ(count("select count(*) from sqlite_master where type = 'index' and "
                    "tbl_name = 'observations'"),
              0);
}

// Windows line ends with a UTF-8 mark (before a comment or right before the first tag code),
// and UTF-16 with its mark.
TEST_F(ObsDataLoaderTest, ReadsWindowsLineEndsAndByteOrderMarks)
{
    const QByteArray rows = twoTagExport().mid(twoTagExport().indexOf('\n') + 1);
    const QString text = QString::fromUtf8(twoTagExport()).replace("\n", "\r\n");
    QByteArray utf16("\xFF\xFE", 2);
    for (const QChar c : text) {
        utf16.append(char(c.unicode() & 0xFF));
        utf16.append(char(c.unicode() >> 8));
    }
    const QByteArray contents[] = {
        QByteArray("\xEF\xBB\xBF") + text.toUtf8(),
        QByteArray("\xEF\xBB\xBF") + QByteArray(rows).replace("\n", "\r\n"), utf16};
    for (const QByteArray& content : contents) {
        const auto loader = load(content);
        ASSERT_FALSE(loader->failed()) << loader->errors.join("; ").toStdString();
        EXPECT_EQ(count("select count(*) from tags where id in ('TAG1', 'TAG2')"), 2);
        EXPECT_EQ(rowsIn("observations"), 4);
        // Nothing of the line ends reached the stored texts.
        EXPECT_EQ(count("select count(*) from observations where obs_time like '%' || char(13)"),
                  0);
    }
}

TEST_F(ObsDataLoaderTest, ShortRowsArePaddedAndCommaOnlyLinesSkipped)
{
    const QByteArray content = ",,,,,,,\n"
                               "\n"
                               "M,x,TAG9,,2008-04-01 10:00:00,,,,,,,UPR\n";
    const auto loader = load(content);
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

    const QByteArray second =
        exportRow("NEW1", "2010-04-01 10:00:00", "MIDR", "2010-05-01 10:00:00", "B2J", "x");
    const auto loader = load(second, "second.csv");
    ASSERT_FALSE(loader->failed());
    EXPECT_EQ(rowsIn("tags"), 1);
    EXPECT_EQ(count("select count(*) from tags where id = 'NEW1' and cohort_id = -1"), 1);
    EXPECT_EQ(rowsIn("observations"), 1);
    EXPECT_EQ(rowsIn("cohorts"), 0);
    EXPECT_EQ(rowsIn("releases"), 1);
    EXPECT_EQ(rowsIn("years"), 1);
    EXPECT_EQ(rowsIn("sites"), 2);
    sites.refresh();
    EXPECT_EQ(sites.shortNames(), QStringList({"Middle", "BON"}));
}

TEST_F(ObsDataLoaderTest, ReportsThroughTheRunnerAndEndsFailedNotCanceledOnAnError)
{
    const QString path = dir + "/broken.csv";
    write(path, exportRow("TAG1", "2008-04-01 10:00:00", "NOWHERE"));
    lum::ThreadRunner runner;
    ObsDataLoader loader(path, &releases, &sites, &years, configPath, &runner, &rdb);
    loader.setSitesConfig(&config, &settings);
    QStringList errors;
    bool canceled = false;
    int failedCode = 0;
    QObject::connect(&runner, &lum::ThreadRunner::error,
                     [&](const QString& text) { errors << text; });
    QObject::connect(&runner, &lum::ThreadRunner::runCanceled, [&] { canceled = true; });
    QObject::connect(&runner, &lum::ThreadRunner::runFailed,
                     [&](int code, const QString&) { failedCode = code; });
    runner.setRunnable(&loader);
    runner.start();
    ASSERT_TRUE(runner.wait(30000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(canceled);
    EXPECT_EQ(failedCode, static_cast<int>(lum::JobError::Input));
    EXPECT_EQ(errors, QStringList({"Unrecognized release site at line 1 of \"" + path +
                                   "\": column \"Release Site\" holds \"NOWHERE\""}));
    EXPECT_TRUE(loader.failed());
}

} // namespace
} // namespace rivulet
