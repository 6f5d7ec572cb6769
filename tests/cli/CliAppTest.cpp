#include "cli/CliApp.h"
#include "cli/CliCommand.h"
#include "cli/CliOutput.h"
#include "cli/CommandTable.h"
#include "common/TestEnvironment.h"

#include <QFileInfo>

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
    CliOutput output{outStream, errStream, false};
};

TEST(CliApp, HelpListsEveryCommandAndSucceeds)
{
    Captured c;
    EXPECT_EQ(CliApp::run({"--help"}, c.output), rivulet::cli::ExitSuccess);
    EXPECT_TRUE(c.out.startsWith("usage: rivulet-cli"));
    for (const auto& entry : rivulet::cli::CommandTable::entries())
        EXPECT_TRUE(c.out.contains(QString("  ") + entry.name)) << entry.name;
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
        {{"--database", "x", "info"}, "error: unknown option \"--database\""},
        {{"info", "extra"}, "error: info takes no arguments"},
    };
    for (const auto& usage : cases) {
        Captured c;
        EXPECT_EQ(CliApp::run(usage.arguments, c.output), rivulet::cli::ExitUsage) << usage.error;
        EXPECT_TRUE(c.err.startsWith(usage.error)) << c.err.toStdString();
    }
}

TEST(CliApp, SitesConfigurationThatIsAFolderIsRefused)
{
    const QString folder = rivulet::test::TestEnvironment::freshDir("config-folder");
    Captured c;
    EXPECT_EQ(CliApp::run({"--db", folder + "/x.db", "--sites-config", folder, "info"}, c.output),
              rivulet::cli::ExitUsage);
    EXPECT_EQ(c.err, "error: --sites-config \"" + folder +
                         "\" is a folder, not a sites configuration file\n");
    EXPECT_FALSE(QFileInfo::exists(folder + "/x.db"));
}

// Off a terminal the progress stays silent, so that piped output holds only its lines.
TEST(CliOutput, StatusToOutputWarningsAndErrorsMarkedAndNoProgressOffTerminal)
{
    Captured c;
    c.output.status("Loading");
    c.output.progress(10);
    c.output.warning("odd row");
    c.output.error("broken");
    c.output.endProgress();
    EXPECT_EQ(c.out, "Loading\n");
    EXPECT_EQ(c.err, "warning: odd row\nerror: broken\n");
}

} // namespace
