// Runs the built tool on small files: the load commands, their output and exit codes.
#include "StudyToolFixture.h"

#include <QRegularExpression>

namespace {

using rivulet::test::runTool;
using rivulet::test::TestEnvironment;
using rivulet::test::ToolRun;
using rivulet::test::writeFile;

const char* const config = "CONFIGDATE: 2012.3.4\n"
                           "RELSITE: UPR\nRIVERK: 522.303.100\n"
                           "SITE: LGR\nRIVERK: 522.173\nCODES: GRJ\n"
                           "SITE: BON\nRIVERK: 234\n"
                           "CODE: GRJ\nRANGE: 2005-01-01 present\nR: J: 1: River {01}\n";

QByteArray row(const char* tag, const char* obsTime = "", const char* site = "")
{
    return QByteArray("M,x,") + tag + ",,2008-04-01 10:00:00,,,,,,,UPR,,,," + obsTime + "," + site +
           ",01,\n";
}

class LoadCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = TestEnvironment::freshDir("cli-load");
        db = dir + "/study.db";
        writeFile(dir + "/sites.txt", config);
    }

    ToolRun load(const char* command, const QByteArray& content)
    {
        const QString file = dir + "/input.csv";
        writeFile(file, content);
        return runTool({"--db", db, "--sites-config", dir + "/sites.txt", command, file});
    }

    QString dir;
    QString db;
};

TEST_F(LoadCommands, LoadObservationsAndAgesPrintWhatWasStored)
{
    const ToolRun run =
        load("load-observations", "# export\n" + row("T1", "2008-05-01 10:00:00", "GRJ") +
                                      row("T1", "2009-05-01 10:00:00", "BON") + row("T2"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Loading alternate sites configuration file"));
    for (const char* line :
         {"tags +2\n", "detections kept +2\n", "releases +1\n", "sites +3\n", "years +2\n"})
        EXPECT_TRUE(run.out.contains(QRegularExpression(line))) << line << run.out.toStdString();

    const ToolRun ages = load("load-ages", "T1,2007\nT9,2007\nT2,2008,1\n");
    ASSERT_EQ(ages.exitCode, 0) << ages.err.toStdString();
    EXPECT_TRUE(ages.err.contains("No such tag \"T9\" at line 2")) << ages.err.toStdString();
    EXPECT_TRUE(ages.out.contains("Age data successfully loaded.")) << ages.out.toStdString();
    EXPECT_TRUE(ages.out.contains(QRegularExpression("tags with a cohort +2\n")));
}

TEST_F(LoadCommands, LoadErrorsExitNonZero)
{
    ASSERT_EQ(load("load-observations", row("T1")).exitCode, 0);
    const ToolRun bad = load("load-observations", row("T1") + row("T2", "2008-05-01", "GRJ"));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("Invalid observation time at line 2")) << bad.err.toStdString();
    EXPECT_FALSE(bad.out.contains("Stored:"));

    const ToolRun ages = load("load-ages", "T1,2007\nT1,abc\n");
    EXPECT_EQ(ages.exitCode, 1);
    EXPECT_TRUE(ages.err.contains("Invalid cohort at line 2")) << ages.err.toStdString();

    const ToolRun usage = runTool({"--db", db, "load-observations"});
    EXPECT_EQ(usage.exitCode, 2);
}

} // namespace
