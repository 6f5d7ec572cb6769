#include "cli/CliOutput.h"

#include "common/FileSizeLimit.h"
#include "common/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using rivulet::cli::CliOutput;

struct Captured
{
    QString out;
    QString err;
    QTextStream outStream{&out};
    QTextStream errStream{&err};
};

TEST(CliOutput, StatusToOutputWarningsAndErrorsMarkedToError)
{
    Captured c;
    CliOutput output(c.outStream, c.errStream, false);
    output.status("Loading");
    output.warning("odd row");
    output.error("broken");
    EXPECT_EQ(c.out, "Loading\n");
    EXPECT_EQ(c.err, "warning: odd row\nerror: broken\n");
}

TEST(CliOutput, ProgressIsSilentOffTerminal)
{
    Captured c;
    CliOutput output(c.outStream, c.errStream, false);
    output.progress(10);
    output.progress(20);
    output.endProgress();
    EXPECT_TRUE(c.out.isEmpty());
    EXPECT_TRUE(c.err.isEmpty());
}

TEST(CliOutput, ProgressOnTerminalIsRewrittenAndClearedBeforeTheNextLine)
{
    Captured c;
    {
        CliOutput output(c.outStream, c.errStream, true);
        output.progress(5);
        output.progress(100);
        output.warning("w");
        output.progress(7);
    }
    EXPECT_EQ(c.err, "\r  5%\r100%\r    \rwarning: w\n\r  7%\r    \r");
}

// A full disk used to leave an empty or cut file behind a successful exit.
TEST(CliOutput, FailedFileWriteIsAnErrorWithTheReasonAndKeepsTheOldFile)
{
    const QString path = rivulet::test::TestEnvironment::freshDir("cli-full") + "/counts.txt";
    Captured c;
    CliOutput output(c.outStream, c.errStream, false);
    ASSERT_TRUE(output.writeFileOrPrint(path, "old\n"));
    {
        const rivulet::test::FileSizeLimit full(10);
        EXPECT_FALSE(output.writeFileOrPrint(path, QByteArray(5000, '1')));
    }
    EXPECT_EQ(c.err, "error: Unable to write file \"" + path + "\": File too large\n");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "old\n");
}

} // namespace
