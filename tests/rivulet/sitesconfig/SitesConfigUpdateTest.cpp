// The daily check of the published sites configuration, and the load that runs it first.

#include "rivulet/sitesconfig/SitesConfigUpdate.h"

#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigAppSettings.h"
#include "rivulet/sitesconfig/SitesConfigLoader.h"

#include "LocalHttpServer.h"
#include "MockSitesConfigSettings.h"
#include "SitesConfigFiles.h"
#include "common/TestEnvironment.h"
#include "rivulet/settings/RivuletSettings.h"

#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

using namespace rivulet;
using namespace rivulet::test;

namespace {

const QString checking = QStringLiteral("Checking the sites configuration version");

// What a failed step gives its job to fail with; empty when it succeeded.
QString failureOf(const lum::Expected<void>& result)
{
    return result ? QString() : result.error().text();
}

// A shared folder whose sites configuration is version 2012.3.4 with the site LOCAL, a local
// server publishing the configuration, and the update and the loader on them.
class SitesConfigUpdateTest : public ::testing::Test
{
protected:
    SitesConfigUpdateTest()
    {
        update.setUrl(server.url());
        update.setToday(today);
        loader.setToday(today);
        writeFile(localPath(), configText("2012.3.4", "LOCAL"));
    }

    QString localPath() const { return settings.dir + "/sites_config.txt"; }
    QString siteName() const
    {
        return config.isLoaded() ? config.detectionSites()[0]->name : QString();
    }

    // Proxies from the environment must not intercept the local server.
    ScopedEnv noProxy{"no_proxy", "127.0.0.1,localhost"};
    LocalHttpServer server;
    ScopedEnv url{SitesConfigUpdate::urlVariable, server.url().toEncoded()};
    const QDate today{2013, 6, 10};
    MockSitesConfigSettings settings{TestEnvironment::freshDir("update")};
    RecordingJob job;
    SitesConfigUpdate update{settings, job};
    SitesConfig config;
    SitesConfigLoader loader{config, settings, job};
};

} // namespace

// No server, an error page or no answer: the local file stays; the next load checks again.
TEST_F(SitesConfigUpdateTest, WithoutAnAnswerKeepsTheLocalFileAndTriesAgainNextTime)
{
    for (int failure = 0; failure < 3; ++failure) {
        SCOPED_TRACE(failure);
        job.statuses.clear();
        if (failure == 0) {
            update.setUrl(LocalHttpServer::closedUrl());
        } else if (failure == 1) {
            update.setUrl(server.url());
            server.serve("<html>Not Found</html>", 404);
        } else {
            server.hang();
            update.setTimeout(200);
        }
        EXPECT_TRUE(update.run());
        EXPECT_EQ(server.requestCount(), failure);
        EXPECT_EQ(job.statuses,
                  QStringList({checking, "Failed to connect to LUM website, using current "
                                         "configuration file."}));
        EXPECT_TRUE(job.errors.isEmpty());
        EXPECT_FALSE(settings.lastCheck.isValid());
        EXPECT_EQ(filesIn(settings.dir), QStringList({"sites_config.txt"}));
        EXPECT_EQ(readFile(localPath()), configText("2012.3.4", "LOCAL"));
    }
}

TEST_F(SitesConfigUpdateTest, SameOrOlderPublishedVersionKeepsTheLocalFile)
{
    for (const QByteArray& published : {QByteArray("2012.3.4"), QByteArray("2011.12.31")}) {
        // A backup from an earlier update and the download of an earlier day.
        writeFile(localPath() + ".2011.1.1", configText("2011.1.1", "OLDER"));
        writeFile(localPath() + ".20130609", configText("2012.3.4", "LOCAL"));
        writeFile(settings.dir + "/other.txt", "kept");
        settings.lastCheck = QDate();
        job.statuses.clear();
        server.serve(configText(published, "PUBLISHED"));

        EXPECT_TRUE(update.run()) << published.constData();
        EXPECT_EQ(job.statuses, QStringList({checking})) << published.constData();
        EXPECT_EQ(settings.lastCheck, today);
        EXPECT_EQ(filesIn(settings.dir), QStringList({"other.txt", "sites_config.txt"}));
        EXPECT_EQ(readFile(localPath()), configText("2012.3.4", "LOCAL"));
    }
}

TEST_F(SitesConfigUpdateTest, NewerVersionReplacesTheLocalFileAndKeepsOneBackup)
{
    writeFile(localPath() + ".2011.1.1", configText("2011.1.1", "OLDER"));
    // The local file was restored by hand after an update had backed it up.
    writeFile(localPath() + ".2012.3.4", "stale backup");
    server.serve(configText("2013.5.6", "PUBLISHED"));

    EXPECT_TRUE(update.run());
    EXPECT_EQ(job.statuses,
              QStringList({checking, "Updating configuration file to version 2013.5.6"}));
    EXPECT_TRUE(job.errors.isEmpty()) << job.errors.join('\n').toStdString();
    EXPECT_EQ(settings.lastCheck, today);
    EXPECT_EQ(filesIn(settings.dir),
              QStringList({"sites_config.txt", "sites_config.txt.2012.3.4"}));
    EXPECT_EQ(readFile(localPath()), configText("2013.5.6", "PUBLISHED"));
    EXPECT_EQ(readFile(localPath() + ".2012.3.4"), configText("2012.3.4", "LOCAL"));
}

TEST_F(SitesConfigUpdateTest, FirstRunInstallsTheDownloadOnAWorkerThread)
{
    // As inside a job: the download needs its own thread's event loop, while this thread's
    // loop keeps serving.
    QFile::remove(localPath());
    server.serve(configText("2013.5.6", "PUBLISHED"));
    bool ok = false;
    std::unique_ptr<QThread> worker(QThread::create([&] { ok = update.run().ok(); }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();

    EXPECT_TRUE(ok);
    EXPECT_EQ(job.statuses,
              QStringList({checking, "Installing configuration file version 2013.5.6"}));
    EXPECT_EQ(settings.lastCheck, today);
    EXPECT_EQ(filesIn(settings.dir), QStringList({"sites_config.txt"}));
    EXPECT_EQ(readFile(localPath()), configText("2013.5.6", "PUBLISHED"));
}

TEST_F(SitesConfigUpdateTest, AFileWithoutVersionStopsTheLoadAndChangesNothing)
{
    server.serve("SITE: NOVERSION\n");
    const lum::Expected<void> loaded = loader.ensureLoaded(QString());
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.error().code, lum::JobError::Input);
    EXPECT_EQ(loaded.error().text(),
              "Invalid format of configuration file " + localPath() + ".20130610");
    EXPECT_TRUE(job.errors.isEmpty()) << "the job that called it reports the failure";
    EXPECT_FALSE(config.isLoaded());
    EXPECT_EQ(readFile(localPath()), configText("2012.3.4", "LOCAL"));

    writeFile(localPath(), "SITE: NOVERSION\n");
    server.serve(configText("2013.5.6", "PUBLISHED"));
    EXPECT_EQ(failureOf(update.run()), "Invalid format of configuration file " + localPath());
    EXPECT_FALSE(settings.lastCheck.isValid());
    EXPECT_EQ(readFile(localPath()), "SITE: NOVERSION\n");

    QFile::remove(localPath());
    server.serve("SITE: NOVERSION\n");
    EXPECT_FALSE(update.run()) << "a first run installs no faulty download";
    EXPECT_FALSE(QFile::exists(localPath()));
}

TEST_F(SitesConfigUpdateTest, CheckedTodayTheLoaderReadsTheDefaultWithoutNetworkOncePerProcess)
{
    settings.lastCheck = today;
    server.serve(configText("2013.5.6", "PUBLISHED"));
    for (const QString& configured :
         QStringList{QString(), localPath(), settings.dir + "/./sites_config.txt"}) {
        config.clear();
        job.statuses.clear();
        EXPECT_TRUE(loader.ensureLoaded(configured));
        EXPECT_EQ(job.statuses, QStringList({"Loading sites configuration"}))
            << configured.toStdString();
        EXPECT_EQ(siteName(), "LOCAL");
    }
    EXPECT_EQ(server.requestCount(), 0);

    // The same file is read once per process; another file, or the default again, anew.
    writeFile(localPath(), configText("2012.3.4", "CHANGED"));
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

TEST_F(SitesConfigUpdateTest, AnAlternateFileMustExistAndIsLoadedWithoutCheck)
{
    const QString gone = settings.dir + "/gone.txt";
    const lum::Expected<void> missing = loader.ensureLoaded(gone);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, lum::JobError::File);
    EXPECT_TRUE(missing.error().text().contains(gone)) << missing.error().text().toStdString();
    EXPECT_FALSE(config.isLoaded());

    const QString alternate = TestEnvironment::freshDir("alternate") + "/mine.txt";
    writeFile(alternate, configText("2001.1.1", "MINE"));
    server.serve(configText("2013.5.6", "PUBLISHED"));
    EXPECT_TRUE(loader.ensureLoaded(alternate));
    EXPECT_EQ(job.statuses,
              QStringList({"Loading alternate sites configuration file \"" + alternate + "\""}));
    EXPECT_EQ(siteName(), "MINE");
    EXPECT_EQ(server.requestCount(), 0);
}

// Without a usable file the loader stops on that cause and the way out, instead of letting
// every row of the data fail on its release site.
TEST_F(SitesConfigUpdateTest, WithoutAUsableFileTheLoaderStopsAndNamesTheCause)
{
    loader.setRemedy("Choose one.");
    QFile::remove(localPath());
    server.serve("<html>Not Found</html>", 404);
    EXPECT_EQ(failureOf(loader.ensureLoaded(QString())),
              "No usable sites configuration: the file \"" + localPath() +
                  "\" does not exist. Choose one.");
    EXPECT_FALSE(config.isLoaded());

    const QString empty = TestEnvironment::freshDir("no-sites") + "/none.txt";
    writeFile(empty, "configDate: 2001.1.1\n");
    EXPECT_EQ(failureOf(loader.ensureLoaded(empty)),
              "No usable sites configuration: \"" + empty +
                  "\" describes no detection sites. Choose one.");
}

TEST_F(SitesConfigUpdateTest, TheDailyCheckOfTheLoaderInstallsANewerVersionBeforeLoading)
{
    settings.lastCheck = today.addDays(-1);
    server.serve(configText("2013.5.6", "PUBLISHED"));
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(job.statuses,
              QStringList({checking, "Updating configuration file to version 2013.5.6"}));
    EXPECT_EQ(siteName(), "PUBLISHED");
}

TEST_F(SitesConfigUpdateTest, TheLoaderWarnsOfFileProblemsAndNeedsTheSharedFolder)
{
    settings.lastCheck = today;
    writeFile(localPath(), configText("2012.3.4", "LOCAL") + "R: J: 1: x {01}\n");
    EXPECT_TRUE(loader.ensureLoaded(QString()));
    EXPECT_EQ(job.warnings,
              QStringList({"R: before any RANGE: at line 7 of \"" + localPath() + "\""}));
    EXPECT_EQ(siteName(), "LOCAL");

    settings.dir.clear();
    config.clear();
    EXPECT_EQ(failureOf(loader.ensureLoaded(QString())),
              "Unable to create sites configuration path");
}

// The settings the program keeps them in: the file name and the day of the last check,
// shared with every settings object.
TEST(SitesConfigAppSettings, KeepTheFileNameAndTheDayOfTheLastCheck)
{
    ScopedEnv env("ProgramData", QFile::encodeName(TestEnvironment::freshDir("programdata")));
    RivuletSettings settings;
    SitesConfigAppSettings sites(settings);
    settings.setValue(RivuletSettings::SitesConfigFileName, "lower_river.txt");
    EXPECT_EQ(sites.sitesConfigFileName(), "lower_river.txt");
    sites.setLastUpdateCheck(QDate(2013, 6, 10));
    RivuletSettings other;
    EXPECT_EQ(SitesConfigAppSettings(other).lastUpdateCheck(), QDate(2013, 6, 10));
    settings.setValue(RivuletSettings::SitesConfigUpdateDate, "not a date");
    EXPECT_FALSE(sites.lastUpdateCheck().isValid());
}
