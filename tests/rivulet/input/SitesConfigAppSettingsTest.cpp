#include "rivulet/input/SitesConfigAppSettings.h"

#include "rivulet/settings/RivuletSettings.h"

#include "common/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace rivulet;

TEST(SitesConfigAppSettings, LocatesTheSharedFileAndKeepsTheDayOfTheLastCheck)
{
    const QString programData = test::TestEnvironment::freshDir("programdata");
    test::ScopedEnv env("ProgramData", QFile::encodeName(programData));
    RivuletSettings settings;
    SitesConfigAppSettings sites(settings);
    const QString dir = sites.sitesConfigDir();
    EXPECT_EQ(QDir::fromNativeSeparators(dir), programData + "/Aldermoor Lab/Common");
    EXPECT_TRUE(QDir(dir).exists());
    EXPECT_EQ(sites.defaultSitesConfigPath(), dir + QDir::separator() + "sites_config.txt");
    settings.setValue(RivuletSettings::SitesConfigFileName, "lower_river.txt");
    EXPECT_EQ(sites.sitesConfigFileName(), "lower_river.txt");

    // The day of the last check is shared with every settings object.
    sites.setLastUpdateCheck(QDate(2013, 6, 10));
    RivuletSettings other;
    EXPECT_EQ(SitesConfigAppSettings(other).lastUpdateCheck(), QDate(2013, 6, 10));
    settings.setValue(RivuletSettings::SitesConfigUpdateDate, "not a date");
    EXPECT_FALSE(sites.lastUpdateCheck().isValid());
}
