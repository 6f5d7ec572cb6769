#include "cli/CliContext.h"
#include "cli/CliOutput.h"

#include "common/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using rivulet::cli::CliContext;
using rivulet::cli::CliOutput;
using rivulet::cli::GlobalOptions;

class CliContextTest : public ::testing::Test
{
protected:
    QString out;
    QString err;
    QTextStream outStream{&out};
    QTextStream errStream{&err};
    CliOutput output{outStream, errStream, false};
};

TEST_F(CliContextTest, SitesConfigOptionWins)
{
    GlobalOptions options;
    options.sitesConfigPath = "my/sites_config.txt";
    const CliContext context(options, output);
    EXPECT_EQ(context.sitesConfigPath(), "my/sites_config.txt");
}

TEST_F(CliContextTest, DefaultSitesConfigIsTheSharedFile)
{
    const QString programData = rivulet::test::TestEnvironment::freshDir("cli-programdata");
    rivulet::test::ScopedEnv env("ProgramData", programData.toLocal8Bit());
    const CliContext context(GlobalOptions(), output);
    EXPECT_EQ(context.sitesConfigPath(), programData + "/Aldermoor Lab/Common/sites_config.txt");
}

} // namespace
