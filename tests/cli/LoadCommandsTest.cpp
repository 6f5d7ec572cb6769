// Runs the built tool on small files: the load commands, their output and exit codes.
#include "StudyToolFixture.h"

#include <QRegularExpression>

namespace {

using rivulet::test::observationRow;
using rivulet::test::runTool;
using rivulet::test::TestEnvironment;
using rivulet::test::ToolRun;
using rivulet::test::writeFile;

// What was stored is printed; a file with an error fails saying where.
TEST(LoadCommands, LoadObservationsAndAgesPrintWhatWasStoredOrFail)
{
    const QString dir = TestEnvironment::freshDir("cli-load");
    const QString db = dir + "/study.db";
    writeFile(dir + "/sites.txt", rivulet::test::kSmallSites);
    const auto load = [&](const char* command, const QByteArray& content) {
        writeFile(dir + "/input.csv", content);
        return runTool(
            {"--db", db, "--sites-config", dir + "/sites.txt", command, dir + "/input.csv"});
    };
    const ToolRun run =
        load("load-observations",
             "# export\n" + observationRow("T1", "2008-05-01 10:00:00", "GRJ") +
                 observationRow("T1", "2009-05-01 10:00:00", "BON") + observationRow("T2"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const char* line :
         {"tags +2\n", "detections kept +2\n", "releases +1\n", "sites +3\n", "years +2\n"})
        EXPECT_TRUE(run.out.contains(QRegularExpression(line))) << line << run.out.toStdString();

    const ToolRun ages = load("load-ages", "T1,2007\nT9,2007\nT2,2008,1\n");
    ASSERT_EQ(ages.exitCode, 0) << ages.err.toStdString();
    EXPECT_TRUE(ages.err.contains("No such tag \"T9\" at line 2")) << ages.err.toStdString();
    EXPECT_TRUE(ages.out.contains("Age data loaded for 2 tags; 1 tags not in the study were "
                                  "skipped."))
        << ages.out.toStdString();
    EXPECT_TRUE(ages.out.contains(QRegularExpression("tags with a cohort +2\n")));
    // A file none of whose tags is known stores nothing and does not call that a success.
    const ToolRun unknown = load("load-ages", "T8,2007\nT9,2007\n");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains("None of the 2 tags of file")) << unknown.err.toStdString();
    EXPECT_FALSE(unknown.out.contains("loaded")) << unknown.out.toStdString();

    const ToolRun bad =
        load("load-observations", observationRow("T1") + observationRow("T2", "2008-05-01", "GRJ"));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("Invalid observation time at line 2")) << bad.err.toStdString();
    EXPECT_FALSE(bad.out.contains("Stored:"));

    // A sites configuration that describes no sites stops the load on that cause, naming the
    // option that chooses another.
    writeFile(dir + "/nosites.txt", "configDate: 2001.1.1\n");
    const ToolRun unusable = runTool({"--db", db, "--sites-config", dir + "/nosites.txt",
                                      "load-observations", dir + "/input.csv"});
    EXPECT_EQ(unusable.exitCode, 1);
    EXPECT_TRUE(unusable.err.contains("\" describes no detection sites. Name a sites "
                                      "configuration file with --sites-config FILE."))
        << unusable.err.toStdString();
    EXPECT_FALSE(unusable.err.contains("Unrecognized release site")) << unusable.err.toStdString();
}

} // namespace
