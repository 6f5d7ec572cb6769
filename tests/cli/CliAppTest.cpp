#include "cli/CliApp.h"
#include "cli/CliCommand.h"
#include "cli/CliOutput.h"
#include "cli/CommandTable.h"
#include "common/TestEnvironment.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>

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

// Written out here rather than read from the command table, so that an option a command
// reads but its help leaves out is caught.
TEST(CliApp, EveryCommandAnswersHelpWithItsOptionsWithoutOpeningTheDatabase)
{
    const std::map<QString, QStringList> optionsOf = {
        {"info", {}},
        {"load-observations", {"FILE"}},
        {"load-ages", {"FILE"}},
        {"clear", {"--yes"}},
        {"update", {}},
        {"next-detections", {"--write FILE"}},
        {"summary", {"--json FILE"}},
        {"models", {}},
        {"fit",
         {"--optimizer TEXT", "--model NAME", "--out DIR", "--report-model NAME",
          "--precision-est N", "--precision-err N", "--average", "--best-by AIC|AICc",
          "--count-by free|estimable", "--profile"}},
        {"gof", {"--json FILE"}},
        {"design",
         {"--model NAME", "--fish N,N,...", "--replicates R", "--seed S", "--target QUANTITY:CV",
          "--out DIR"}},
        {"report", {"releases", "--html FILE"}},
        {"sites", {"remove CODE", "last CODE", "reset"}},
        {"years", {"remove YEAR"}},
        {"releases", {"include LABEL", "exclude LABEL"}},
        {"diagram", {"--model NAME", "--release LABEL", "--png FILE"}},
        {"cohort", {"NUMBER", "all"}},
    };
    const QString db = rivulet::test::TestEnvironment::freshDir("help") + "/never.db";
    ASSERT_EQ(rivulet::cli::CommandTable::entries().size(), optionsOf.size());
    for (const auto& entry : rivulet::cli::CommandTable::entries()) {
        const QString name = entry.name;
        ASSERT_EQ(optionsOf.count(name), 1u) << entry.name;
        Captured c;
        // After other arguments too: help wins over whatever else the line holds.
        EXPECT_EQ(CliApp::run({"--db", db, name, "extra", "--help"}, c.output),
                  rivulet::cli::ExitSuccess)
            << entry.name;
        EXPECT_TRUE(c.out.startsWith("usage: rivulet-cli [GLOBAL OPTIONS] " + name + ' ') ||
                    c.out.startsWith("usage: rivulet-cli [GLOBAL OPTIONS] " + name + '\n'))
            << c.out.toStdString();
        for (const QString& option : optionsOf.at(name))
            EXPECT_TRUE(c.out.contains("\n  " + option + "  "))
                << entry.name << ' ' << option.toStdString();
        EXPECT_TRUE(c.out.contains("\n  -h, --help  ")) << entry.name;
        EXPECT_TRUE(c.out.contains("\nExample:\n  rivulet-cli ")) << entry.name;
        EXPECT_TRUE(c.err.isEmpty()) << c.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(db));

    Captured version;
    EXPECT_EQ(CliApp::run({"--version"}, version.output), rivulet::cli::ExitSuccess);
    EXPECT_TRUE(
        QRegularExpression("^rivulet-cli \\d+\\.\\d+\\.\\d+\n$").match(version.out).hasMatch())
        << version.out.toStdString();
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
