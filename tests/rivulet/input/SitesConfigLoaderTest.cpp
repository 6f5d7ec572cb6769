#include "rivulet/input/SitesConfigLoader.h"

#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigUpdate.h"

#include "LocalHttpServer.h"
#include "MockSitesConfigSettings.h"
#include "RecordingJob.h"
#include "SitesConfigFiles.h"
#include "common/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace rivulet::test;
using rivulet::SitesConfig;
using rivulet::SitesConfigLoader;
using rivulet::SitesConfigUpdate;

namespace {

const QString loadingDefault = QStringLiteral("Loading sites configuration");
const QString checking = QStringLiteral("Checking the sites configuration version");

class SitesConfigLoaderTest : public ::testing::Test
{
protected:
    SitesConfigLoaderTest()
    {
        loader.setToday(today);
        writeFile(defaultPath(), configText("2012.3.4", "LOCAL"));
    }

    QString defaultPath() const { return settings.dir + "/sites_config.txt"; }
    QString siteName() const
    {
        return config.isLoaded() ? config.detectionSites()[0]->name : QString();
    }

    ScopedEnv noProxy{"no_proxy", "127.0.0.1,localhost"};
    LocalHttpServer server;
    ScopedEnv url{SitesConfigUpdate::urlVariable, server.url().toEncoded()};
    const QDate today{2013, 6, 10};
    MockSitesConfigSettings settings{TestEnvironment::freshDir("loader")};
    SitesConfig config;
    RecordingJob job;
    SitesConfigLoader loader{config, settings, job};
};

} // namespace

TEST_F(SitesConfigLoaderTest, CheckedTodayLoadsTheDefaultWithoutNetwork)
{
    settings.lastCheck = today;
    server.serve(configText("2013.5.6", "PUBLISHED"));
    const QStringList defaults = {QString(), defaultPath(), settings.dir + "/./sites_config.txt"};
    for (const QString& configured : defaults) {
        config.clear();
        job.statuses.clear();
        EXPECT_TRUE(loader.ensureLoaded(configured));
        EXPECT_EQ(job.statuses, QStringList({loadingDefault})) << configured.toStdString();
        EXPECT_EQ(siteName(), "LOCAL");
    }
    EXPECT_EQ(server.requestCount(), 0);
}

// The same file is read once per process; another file, or the default again, is read anew.
TEST_F(SitesConfigLoaderTest, LoadsEachFileOncePerProcess)
{
    settings.lastCheck = today;
    ASSERT_TRUE(loader.ensureLoaded(QString()));
    writeFile(defaultPath(), configText("2012.3.4", "CHANGED"));
    job.statuses.clear();
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_TRUE(job.statuses.isEmpty());
    EXPECT_EQ(siteName(), "LOCAL");

    const QString alternate = TestEnvironment::freshDir("switch") + "/mine.txt";
    writeFile(alternate, configText("2001.1.1", "MINE"));
    EXPECT_TRUE(loader.ensureLoaded(alternate));
    EXPECT_EQ(siteName(), "MINE");
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_EQ(siteName(), "CHANGED");
}

TEST_F(SitesConfigLoaderTest, AnAlternateFileMustExistAndIsLoadedWithoutCheck)
{
    const QString gone = settings.dir + "/gone.txt";
    EXPECT_FALSE(loader.ensureLoaded(gone));
    ASSERT_EQ(job.errors.size(), 1);
    EXPECT_TRUE(job.errors.at(0).contains(gone)) << job.errors.at(0).toStdString();
    EXPECT_FALSE(config.isLoaded());

    const QString alternate = TestEnvironment::freshDir("alternate") + "/mine.txt";
    writeFile(alternate, configText("2001.1.1", "MINE"));
    server.serve(configText("2013.5.6", "PUBLISHED"));
    job.statuses.clear();
    EXPECT_TRUE(loader.ensureLoaded(alternate));
    EXPECT_EQ(job.statuses,
              QStringList({"Loading alternate sites configuration file \"" + alternate + "\""}));
    EXPECT_EQ(siteName(), "MINE");
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_FALSE(settings.lastCheck.isValid());
}

TEST_F(SitesConfigLoaderTest, DailyCheckInstallsANewerOrAFirstVersionBeforeLoading)
{
    settings.lastCheck = today.addDays(-1);
    server.serve(configText("2013.5.6", "PUBLISHED"));
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(job.statuses,
              QStringList({checking, "Updating configuration file to version 2013.5.6"}));
    EXPECT_EQ(settings.lastCheck, today);
    EXPECT_EQ(siteName(), "PUBLISHED");

    // On a first run without a local file the download is installed and loaded.
    QFile::remove(defaultPath());
    config.clear();
    settings.lastCheck = QDate();
    server.serve(configText("2014.1.1", "FIRST"));
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_TRUE(job.errors.isEmpty());
    EXPECT_EQ(siteName(), "FIRST");
}

TEST_F(SitesConfigLoaderTest, NoConnectionUsesTheLocalFileAndRetriesOnTheNextLoad)
{
    ScopedEnv closed(SitesConfigUpdate::urlVariable, LocalHttpServer::closedUrl().toEncoded());
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_EQ(job.statuses,
              QStringList({checking, "Failed to connect to LUM website, using current "
                                     "configuration file."}));
    EXPECT_EQ(siteName(), "LOCAL");
    EXPECT_FALSE(settings.lastCheck.isValid());

    config.clear();
    job.statuses.clear();
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_EQ(job.statuses.value(0), checking);
}

TEST_F(SitesConfigLoaderTest, FailedCheckStopsTheLoad)
{
    server.serve("no version here\n");
    EXPECT_FALSE(loader.ensureLoaded(QString()));
    EXPECT_EQ(job.errors.size(), 1);
    EXPECT_FALSE(config.isLoaded());
}

TEST_F(SitesConfigLoaderTest, FileProblemsBecomeWarnings)
{
    settings.lastCheck = today;
    writeFile(defaultPath(), configText("2012.3.4", "LOCAL") + "R: J: 1: x {01}\n");
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_EQ(job.warnings, QStringList({"R: before any RANGE: at line 7"}));
    EXPECT_EQ(siteName(), "LOCAL");
}

TEST_F(SitesConfigLoaderTest, NoSharedFolderIsAnError)
{
    settings.dir.clear();
    EXPECT_FALSE(loader.ensureLoaded(QString()));
    EXPECT_EQ(job.errors, QStringList({"Unable to create sites configuration path"}));
    EXPECT_EQ(server.requestCount(), 0);
}
