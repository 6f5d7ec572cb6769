#include "rivulet/input/SitesConfigAppSettings.h"

#include "rivulet/settings/RivuletSettings.h"

#include "common/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

using rivulet::RivuletSettings;
using rivulet::SitesConfigAppSettings;
using rivulet::test::ScopedEnv;
using rivulet::test::TestEnvironment;

TEST(SitesConfigAppSettings, LocatesTheSharedFileAndKeepsTheDayOfTheLastCheck)
{
    const QString programData = TestEnvironment::freshDir("programdata");
    ScopedEnv env("ProgramData", QFile::encodeName(programData));
    RivuletSettings settings;
    SitesConfigAppSettings sites(settings);

    const QString dir = sites.sitesConfigDir();
    EXPECT_EQ(QDir::fromNativeSeparators(dir), programData + "/Aldermoor Lab/Common");
    EXPECT_TRUE(QDir(dir).exists());
    EXPECT_EQ(sites.sitesConfigFileName(), "sites_config.txt");
    EXPECT_EQ(sites.defaultSitesConfigPath(), dir + QDir::separator() + "sites_config.txt");

    settings.setValue(RivuletSettings::SitesConfigFileName, "lower_river.txt");
    EXPECT_EQ(sites.sitesConfigFileName(), "lower_river.txt");
    settings.setValue(RivuletSettings::SitesConfigFileName, "");
    EXPECT_EQ(sites.sitesConfigFileName(), "sites_config.txt");

    // The day of the last check is shared with every settings object.
    settings.setValue(RivuletSettings::SitesConfigUpdateDate, QVariant());
    EXPECT_FALSE(sites.lastUpdateCheck().isValid());

    sites.setLastUpdateCheck(QDate(2013, 6, 10));
    EXPECT_EQ(settings.value(RivuletSettings::SitesConfigUpdateDate).toString(), "2013-06-10");
    RivuletSettings other;
    EXPECT_EQ(SitesConfigAppSettings(other).lastUpdateCheck(), QDate(2013, 6, 10));

    settings.setValue(RivuletSettings::SitesConfigUpdateDate, "not a date");
    EXPECT_FALSE(sites.lastUpdateCheck().isValid());
}
