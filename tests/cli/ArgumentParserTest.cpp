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
        {"--db", "-odd.db", "--sites-config=s.txt", "--mock", "m.txt", "info", "x", "--db", "b"}))
        << line.error().toStdString();
    EXPECT_EQ(line.value("db"), "-odd.db");
    EXPECT_EQ(line.value("sites-config"), "s.txt");
    EXPECT_EQ(line.value("mock"), "m.txt");
    // Everything after the command is the command's own.
    EXPECT_EQ(line.positionalArguments(), (QStringList{"info", "x", "--db", "b"}));
    GlobalLine help;
    ASSERT_TRUE(help.parse({"--db", "x", "--help"}));
    EXPECT_TRUE(help.isSet("help"));
    EXPECT_TRUE(help.positionalArguments().isEmpty());
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
}

TEST(ArgumentParser, ErrorsSayWhatIsWrong)
{
    const struct
    {
        bool global;
        QStringList arguments;
        const char* error;
    } cases[] = {
        {true, {"--database", "x", "info"}, "unknown option \"--database\""},
        {true, {"--db"}, "option --db needs a file name"},
        {true, {"--db="}, "option --db needs a file name"},
        {false, {"--out"}, "option --out needs a value"},
        {false, {"--outt=x"}, "fit does not take \"--outt=x\""},
        {false, {"--out", "a", "--out", "b"}, "option --out may be given only once"},
    };
    for (const auto& wrong : cases) {
        GlobalLine global;
        ArgumentParser fit("fit");
        fit.addOption("out", "DIR");
        ArgumentParser& line = wrong.global ? static_cast<ArgumentParser&>(global) : fit;
        EXPECT_FALSE(line.parse(wrong.arguments)) << wrong.error;
        EXPECT_EQ(line.error(), wrong.error);
    }
}

} // namespace
