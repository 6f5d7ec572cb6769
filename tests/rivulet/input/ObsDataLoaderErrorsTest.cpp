#include "ObsDataLoaderFixture.h"

namespace rivulet {
namespace {

using test::exportRow;

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
        rdb.database()->exec("insert into cohorts (cohort, active) values (2005, 1)");
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
            QStringList({"8"}))
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

TEST_F(ObsDataLoaderErrorsTest, ASplitRunOfATagIsADuplicate)
{
    const QByteArray content =
        good1 + exportRow("T2", "2008-04-01 10:00:00", "UPR") +
        exportRow("T1", "2008-04-01 10:00:00", "UPR", "2008-06-10 08:00:00", "B2J", "1");
    expectRefused(content, "Duplicate tag at line 3 of \"" + dir +
                               "/second.csv\": column \"Tag Code\" holds \"T1\"");
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

TEST_F(ObsDataLoaderErrorsTest, AMissingSitesConfigurationRefusesEveryReleaseSite)
{
    // The default file in the shared folder is missing.
    configPath.clear();
    settings.lastCheck = QDate::currentDate();
    config.clear();
    const auto loader = load(good1, "second.csv");
    EXPECT_TRUE(loader->failed());
    EXPECT_TRUE(loader->errors.value(0).startsWith("Unrecognized release site at line 1 of "));
    EXPECT_EQ(studyDump(), before);
}

} // namespace
} // namespace rivulet
