#include "cli/ArgumentParser.h"

#include <gtest/gtest.h>

namespace {

using rivulet::cli::ArgumentParser;

// The global line stops at the command: everything after it is the command's own, even an
// option the global line knows. A value may start with a dash.
TEST(ArgumentParser, GlobalOptionsBeforeTheCommandAreKept)
{
    ArgumentParser line;
    line.addOption("db", "FILE", ArgumentParser::LastWins);
    ASSERT_TRUE(line.parse({"--db", "-odd.db", "info", "x", "--db", "b"}));
    EXPECT_EQ(line.value("db"), "-odd.db");
    EXPECT_EQ(line.positionalArguments(), (QStringList{"info", "x", "--db", "b"}));
}

TEST(ArgumentParser, ErrorsSayWhatIsWrong)
{
    const struct
    {
        QStringList arguments;
        const char* error;
    } cases[] = {
        {{"--db="}, "option --db needs a file name"},
        {{"--out"}, "option --out needs a value"},
        {{"--outt=x"}, "fit does not take \"--outt=x\""},
        {{"--out", "a", "--out", "b"}, "option --out may be given only once"},
    };
    for (const auto& wrong : cases) {
        ArgumentParser fit("fit");
        fit.addOption("db", "FILE");
        fit.addOption("out", "DIR");
        EXPECT_FALSE(fit.parse(wrong.arguments)) << wrong.error;
        EXPECT_EQ(fit.error(), wrong.error);
    }
}

} // namespace
