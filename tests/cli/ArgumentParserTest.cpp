#include "cli/ArgumentParser.h"

#include <gtest/gtest.h>

namespace {

using rivulet::cli::ArgumentParser;

// The global line of the tool, as CliApp declares it.
struct GlobalLine : ArgumentParser
{
    GlobalLine()
    {
        addOption("db", "FILE", LastWins);
        addOption("sites-config", "FILE", LastWins);
        addOption("mock", "FILE", LastWins);
        addFlag({"h", "help"});
    }
};

TEST(ArgumentParser, GlobalOptionsBeforeTheCommandAreKept)
{
    GlobalLine line;
    ASSERT_TRUE(line.parse(
        {"--db", "a.db", "--sites-config=s.txt", "--mock", "m.txt", "info", "x", "--db", "b"}))
        << line.error().toStdString();
    EXPECT_EQ(line.value("db"), "a.db");
    EXPECT_EQ(line.value("sites-config"), "s.txt");
    EXPECT_EQ(line.value("mock"), "m.txt");
    // Everything after the command is the command's own.
    EXPECT_EQ(line.positionalArguments(), (QStringList{"info", "x", "--db", "b"}));
}

TEST(ArgumentParser, UnknownOptionAndMissingValueAreErrors)
{
    GlobalLine unknown;
    EXPECT_FALSE(unknown.parse({"--database", "x", "info"}));
    EXPECT_EQ(unknown.error(), "unknown option \"--database\"");
    for (const QStringList& arguments : {QStringList{"--db"}, QStringList{"--db="}}) {
        GlobalLine line;
        EXPECT_FALSE(line.parse(arguments));
        EXPECT_EQ(line.error(), "option --db needs a file name");
    }
    ArgumentParser fit("fit");
    fit.addOption("out", "DIR");
    EXPECT_FALSE(fit.parse({"--out"}));
    EXPECT_EQ(fit.error(), "option --out needs a value");
    ArgumentParser again("fit");
    EXPECT_FALSE(again.parse({"--outt=x"}));
    EXPECT_EQ(again.error(), "fit does not take \"--outt=x\"");
}

TEST(ArgumentParser, HelpNoCommandAndValuesThatStartWithADash)
{
    GlobalLine help;
    ASSERT_TRUE(help.parse({"--db", "x", "--help"}));
    EXPECT_TRUE(help.isSet("help"));
    EXPECT_TRUE(help.positionalArguments().isEmpty());
    GlobalLine dash;
    ASSERT_TRUE(dash.parse({"--db", "-odd.db", "info"}));
    EXPECT_EQ(dash.value("db"), "-odd.db");
    EXPECT_EQ(dash.positionalArguments(), QStringList{"info"});
}

TEST(ArgumentParser, CommandOptionsMayFollowArgumentsAndRepeat)
{
    ArgumentParser report("report releases");
    report.addOption("html", "FILE");
    report.addOption("model", "NAME", ArgumentParser::Repeated);
    ASSERT_TRUE(report.parse({"x", "--html", "r.html", "--model=A", "--model", "B"}));
    EXPECT_EQ(report.value("html"), "r.html");
    EXPECT_EQ(report.values("model"), (QStringList{"A", "B"}));
    EXPECT_EQ(report.positionalArguments(), QStringList{"x"});
    EXPECT_FALSE(report.parse({"--html", "a", "--html", "b"}));
    EXPECT_EQ(report.error(), "option --html may be given only once");
}

} // namespace
