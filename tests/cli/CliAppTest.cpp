#include "cli/CliApp.h"
#include "cli/CliCommand.h"
#include "cli/CliOutput.h"
#include "cli/CommandTable.h"
#include "common/TestEnvironment.h"

#include <QFileInfo>

#include <QSet>

#include <gtest/gtest.h>

namespace {

using rivulet::cli::CliApp;
using rivulet::cli::CliOutput;

struct AppRun
{
    int code = -1;
    QString out;
    QString err;
};

AppRun runApp(const QStringList& arguments)
{
    AppRun r;
    QTextStream outStream(&r.out);
    QTextStream errStream(&r.err);
    CliOutput output(outStream, errStream, false);
    r.code = CliApp::run(arguments, output);
    return r;
}

TEST(CliApp, HelpListsEveryCommandAndSucceeds)
{
    const AppRun r = runApp({"--help"});
    EXPECT_EQ(r.code, rivulet::cli::ExitSuccess);
    EXPECT_TRUE(r.out.startsWith("usage: rivulet-cli"));
    for (const auto& entry : rivulet::cli::CommandTable::entries())
        EXPECT_TRUE(r.out.contains(QString("  ") + entry.name)) << entry.name;
    EXPECT_TRUE(r.err.isEmpty());
}

TEST(CliApp, MissingOrUnknownCommandIsAUsageError)
{
    const AppRun none = runApp({});
    EXPECT_EQ(none.code, rivulet::cli::ExitUsage);
    EXPECT_TRUE(none.err.startsWith("error: no command given"));

    const AppRun unknown = runApp({"--db", "x.db", "frobnicate"});
    EXPECT_EQ(unknown.code, rivulet::cli::ExitUsage);
    EXPECT_TRUE(unknown.err.startsWith("error: unknown command \"frobnicate\""));
}

TEST(CliApp, BadGlobalOptionIsAUsageError)
{
    const AppRun r = runApp({"--db"});
    EXPECT_EQ(r.code, rivulet::cli::ExitUsage);
    EXPECT_TRUE(r.err.startsWith("error: option --db needs a file name"));
}

TEST(CliApp, SitesConfigurationThatIsAFolderIsRefused)
{
    const QString folder = rivulet::test::TestEnvironment::freshDir("config-folder");
    const AppRun r = runApp({"--db", folder + "/x.db", "--sites-config", folder, "info"});
    EXPECT_EQ(r.code, rivulet::cli::ExitUsage);
    EXPECT_EQ(r.err, "error: --sites-config \"" + folder +
                         "\" is a folder, not a sites configuration file\n");
    EXPECT_FALSE(QFileInfo::exists(folder + "/x.db"));
}

TEST(CliApp, InfoWithArgumentsIsAUsageError)
{
    const AppRun r = runApp({"info", "extra"});
    EXPECT_EQ(r.code, rivulet::cli::ExitUsage);
    EXPECT_TRUE(r.err.startsWith("error: info takes no arguments"));
}

TEST(CommandTable, NamesAreUniqueAndFindable)
{
    QSet<QString> names;
    for (const auto& entry : rivulet::cli::CommandTable::entries()) {
        EXPECT_FALSE(names.contains(entry.name)) << entry.name;
        names.insert(entry.name);
        EXPECT_EQ(rivulet::cli::CommandTable::find(entry.name), &entry);
        EXPECT_NE(entry.create(), nullptr);
    }
    EXPECT_EQ(rivulet::cli::CommandTable::find("nope"), nullptr);
}

} // namespace
