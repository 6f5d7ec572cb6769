#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using rivulet::cli::CommandLine;

TEST(CommandLine, GlobalOptionsBeforeTheCommandAreKept)
{
    const CommandLine line = CommandLine::parse(
        {"--db", "a.db", "--sites-config=s.txt", "--mock", "m.txt", "info", "x", "--db", "b"});
    ASSERT_TRUE(line.ok()) << line.error.toStdString();
    EXPECT_EQ(line.options.databasePath, "a.db");
    EXPECT_EQ(line.options.sitesConfigPath, "s.txt");
    EXPECT_EQ(line.options.mockFile, "m.txt");
    EXPECT_EQ(line.command, "info");
    // Everything after the command is the command's own.
    EXPECT_EQ(line.commandArguments, (QStringList{"x", "--db", "b"}));
}

TEST(CommandLine, CommandAloneHasNoOptions)
{
    const CommandLine line = CommandLine::parse({"info"});
    ASSERT_TRUE(line.ok());
    EXPECT_TRUE(line.options.databasePath.isEmpty());
    EXPECT_EQ(line.command, "info");
    EXPECT_TRUE(line.commandArguments.isEmpty());
}

TEST(CommandLine, UnknownOptionIsAnError)
{
    const CommandLine line = CommandLine::parse({"--database", "x", "info"});
    EXPECT_FALSE(line.ok());
    EXPECT_TRUE(line.error.contains("--database"));
}

TEST(CommandLine, OptionWithoutValueIsAnError)
{
    EXPECT_FALSE(CommandLine::parse({"--db"}).ok());
    EXPECT_FALSE(CommandLine::parse({"--db="}).ok());
    EXPECT_TRUE(CommandLine::parse({"--db"}).error.contains("--db"));
}

TEST(CommandLine, HelpAndMissingCommand)
{
    const CommandLine help = CommandLine::parse({"--db", "x", "--help"});
    EXPECT_TRUE(help.ok());
    EXPECT_TRUE(help.helpRequested);
    EXPECT_TRUE(help.command.isEmpty());
    const CommandLine none = CommandLine::parse({});
    EXPECT_TRUE(none.ok());
    EXPECT_TRUE(none.command.isEmpty());
}

TEST(CommandLine, ValueMayStartWithADash)
{
    const CommandLine line = CommandLine::parse({"--db", "-odd.db", "info"});
    ASSERT_TRUE(line.ok());
    EXPECT_EQ(line.options.databasePath, "-odd.db");
    EXPECT_EQ(line.command, "info");
}

} // namespace
