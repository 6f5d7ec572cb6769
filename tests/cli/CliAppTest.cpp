#include "cli/CliApp.h"
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/CommandTable.h"

#include "common/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using rivulet::cli::CliApp;
using rivulet::cli::CliOutput;

struct Captured
{
    QString out;
    QString err;
    QTextStream outStream{&out};
    QTextStream errStream{&err};
};

TEST(CliApp, HelpListsEveryCommandAndSucceeds)
{
    Captured c;
    CliOutput output(c.outStream, c.errStream, false);
    EXPECT_EQ(CliApp::run({"--help"}, output), rivulet::cli::ExitSuccess);
    EXPECT_TRUE(c.out.startsWith("usage: rivulet-cli"));
    for (const auto& entry : rivulet::cli::CommandTable::entries())
        EXPECT_TRUE(c.out.contains(QString("  ") + entry.name)) << entry.name;
    EXPECT_TRUE(c.err.isEmpty());
}

TEST(CliApp, UsageErrorsExitWithTwoAndSayWhy)
{
    const struct
    {
        QStringList arguments;
        const char* error;
    } cases[] = {
        {{}, "error: no command given"},
        {{"--db", "x.db", "frobnicate"}, "error: unknown command \"frobnicate\""},
        {{"--db"}, "error: option --db needs a file name"},
        {{"info", "extra"}, "error: info takes no arguments"},
    };
    for (const auto& usage : cases) {
        Captured c;
        CliOutput output(c.outStream, c.errStream, false);
        EXPECT_EQ(CliApp::run(usage.arguments, output), rivulet::cli::ExitUsage) << usage.error;
        EXPECT_TRUE(c.err.startsWith(usage.error)) << c.err.toStdString();
    }
}

// Off a terminal the progress stays silent, so that piped output holds only its lines.
TEST(CliOutput, StatusToOutputWarningsAndErrorsMarkedAndNoProgressOffTerminal)
{
    Captured c;
    CliOutput output(c.outStream, c.errStream, false);
    output.status("Loading");
    output.progress(10);
    output.warning("odd row");
    output.error("broken");
    output.endProgress();
    EXPECT_EQ(c.out, "Loading\n");
    EXPECT_EQ(c.err, "warning: odd row\nerror: broken\n");
}

TEST(CliContext, TheSitesConfigOptionWinsOverTheSharedFile)
{
    Captured c;
    CliOutput output(c.outStream, c.errStream, false);
    const QString programData = rivulet::test::TestEnvironment::freshDir("cli-programdata");
    rivulet::test::ScopedEnv env("ProgramData", programData.toLocal8Bit());
    const rivulet::cli::CliContext shared(rivulet::cli::GlobalOptions(), output);
    EXPECT_EQ(shared.sitesConfigPath(), programData + "/Aldermoor Lab/Common/sites_config.txt");
    rivulet::cli::GlobalOptions options;
    options.sitesConfigPath = "my/sites_config.txt";
    EXPECT_EQ(rivulet::cli::CliContext(options, output).sitesConfigPath(), "my/sites_config.txt");
}

} // namespace
