#include "StudyToolFixture.h"

namespace rivulet::test {
namespace {

using NextDetectionsCommand = StudyToolFixture;

TEST_F(NextDetectionsCommand, SampleStudyGivesTheCountsItsHistoriesImply)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const QString written = TestEnvironment::freshDir("nd-sample") + "/counts.txt";
    const Run run = tool({"--db", db, "next-detections", "--write", written});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(contents(written), contents(sample("counts.txt")));

    // Without a file the same text goes to standard output.
    const Run printed = tool({"--db", db, "next-detections"});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    EXPECT_EQ(printed.out.toUtf8(), contents(sample("counts.txt")));
}

TEST_F(NextDetectionsCommand, AWrittenFileReadBackAsSimulatedDataIsWrittenAgainUnchanged)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const QString dir = TestEnvironment::freshDir("nd-roundtrip");
    // The sample without its second release and without the second dam, so that the file is
    // not the sample's own.
    const QString copy = dir + "/study.db";
    ASSERT_TRUE(QFile::copy(db, copy));
    ASSERT_TRUE(
        execOn(copy, {"update releases set active_sequence = -1 where sequence = 1",
                      "update releases set active_sequence = sequence - 1 where sequence > 1",
                      "update sites set active_sequence = -1 where code = 'MLD'",
                      "update sites set active_sequence = sequence - 1 where sequence > "
                      "(select sequence from sites where code = 'MLD')"}));
    const Run first = tool({"--db", copy, "next-detections", "--write=" + dir + "/first.txt"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_TRUE(contents(dir + "/first.txt").startsWith("1 7 3\n"));
    const Run again =
        tool({"--mock", dir + "/first.txt", "next-detections", "--write", dir + "/second.txt"});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(contents(dir + "/second.txt"), contents(dir + "/first.txt"));
}

TEST_F(NextDetectionsCommand, AMalformedCountsFileIsReportedWithItsPosition)
{
    const QString dir = TestEnvironment::freshDir("nd-malformed");
    write(dir + "/bad.txt", "1 3 1  # one release\n0\n0\n10\n\n4\n3\nx\n");
    const Run run =
        tool({"--mock", dir + "/bad.txt", "next-detections", "--write", dir + "/out.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("integer expected at line 8, column 1")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir + "/out.txt"));

    const Run missing = tool({"--mock", dir + "/none.txt", "next-detections"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("No such file")) << missing.err.toStdString();
}

TEST_F(NextDetectionsCommand, RefusesBadArgumentsAndReportsAnUnwritableFile)
{
    const QString dir = TestEnvironment::freshDir("nd-usage");
    write(dir + "/counts.txt", contents(sample("counts.txt")));
    const QString mock = dir + "/counts.txt";
    EXPECT_EQ(tool({"--mock", mock, "next-detections", "--write"}).exitCode, 2);
    EXPECT_EQ(tool({"--mock", mock, "next-detections", "extra"}).exitCode, 2);
    EXPECT_EQ(tool({"--mock", mock, "next-detections", "--write", "a", "--write", "b"}).exitCode,
              2);

    const Run run = tool({"--mock", mock, "next-detections", "--write", dir + "/no/such/x.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Unable to open file")) << run.err.toStdString();
}

} // namespace
} // namespace rivulet::test
