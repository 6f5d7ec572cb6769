#include "rivulet/input/SitesConfigUpdate.h"

#include "LocalHttpServer.h"
#include "MockSitesConfigSettings.h"
#include "RecordingJob.h"
#include "SitesConfigFiles.h"
#include "common/TestEnvironment.h"

#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

using namespace rivulet::test;
using rivulet::SitesConfigUpdate;

namespace {

const QString checking = QStringLiteral("Checking the sites configuration version");
const QString noConnection =
    QStringLiteral("Failed to connect to LUM website, using current configuration file.");

class SitesConfigUpdateTest : public ::testing::Test
{
protected:
    SitesConfigUpdateTest()
    {
        update.setUrl(server.url());
        update.setToday(today);
    }

    QString localPath() const { return settings.dir + "/sites_config.txt"; }
    QString downloadPath() const { return localPath() + ".20130610"; }

    // Proxies from the environment must not intercept the local server.
    ScopedEnv noProxy{"no_proxy", "127.0.0.1,localhost"};
    const QDate today{2013, 6, 10};
    MockSitesConfigSettings settings{TestEnvironment::freshDir("update")};
    RecordingJob job;
    LocalHttpServer server;
    SitesConfigUpdate update{settings, job};
};

} // namespace

// No server, an error page or a server that never answers: the local file stays, and the
// check is made again on the next load.
TEST_F(SitesConfigUpdateTest, WithoutAnAnswerKeepsTheLocalFileAndTriesAgainNextTime)
{
    for (int failure = 0; failure < 3; ++failure) {
        SCOPED_TRACE(failure);
        writeFile(localPath(), configText("2012.3.4", "OLD"));
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
        EXPECT_EQ(job.statuses, QStringList({checking, noConnection}));
        EXPECT_TRUE(job.errors.isEmpty());
        EXPECT_FALSE(settings.lastCheck.isValid());
        EXPECT_EQ(filesIn(settings.dir), QStringList({"sites_config.txt"}));
        EXPECT_EQ(readFile(localPath()), configText("2012.3.4", "OLD"));
    }
}

TEST_F(SitesConfigUpdateTest, SameOrOlderPublishedVersionKeepsTheLocalFile)
{
    for (const QByteArray& published : {QByteArray("2012.3.4"), QByteArray("2011.12.31")}) {
        writeFile(localPath(), configText("2012.3.4", "LOCAL"));
        // A backup from an earlier update and the download of an earlier day.
        writeFile(localPath() + ".2011.1.1", configText("2011.1.1", "OLDER"));
        writeFile(localPath() + ".20130609", configText("2012.3.4", "LOCAL"));
        writeFile(settings.dir + "/other.txt", "kept");
        settings.lastCheck = QDate();
        job.statuses.clear();
        server.serve(configText(published, "PUBLISHED"));

        EXPECT_TRUE(update.run()) << published.constData();
        EXPECT_EQ(job.statuses, QStringList({checking})) << published.constData();
        EXPECT_TRUE(job.errors.isEmpty());
        EXPECT_EQ(settings.lastCheck, today);
        EXPECT_EQ(filesIn(settings.dir), QStringList({"other.txt", "sites_config.txt"}));
        EXPECT_EQ(readFile(localPath()), configText("2012.3.4", "LOCAL"));
    }
}

TEST_F(SitesConfigUpdateTest, NewerVersionReplacesTheLocalFileAndKeepsOneBackup)
{
    writeFile(localPath(), configText("2012.3.4", "LOCAL"));
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

TEST_F(SitesConfigUpdateTest, RunsOnAWorkerThread)
{
    // As inside a job: the download needs its own thread's event loop, while
    // this thread's loop keeps serving.
    writeFile(localPath(), configText("2012.3.4", "LOCAL"));
    server.serve(configText("2013.5.6", "PUBLISHED"));
    bool ok = false;
    std::unique_ptr<QThread> worker(QThread::create([&] { ok = update.run(); }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();

    EXPECT_TRUE(ok);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(readFile(localPath()), configText("2013.5.6", "PUBLISHED"));
}

TEST_F(SitesConfigUpdateTest, AFileWithoutVersionStopsTheLoadAndChangesNothing)
{
    const struct
    {
        QByteArray local; // empty: no local file yet
        QByteArray published;
        bool localIsFaulty;
    } cases[] = {
        {configText("2012.3.4", "LOCAL"), "SITE: NOVERSION\n", false},
        {"SITE: NOVERSION\n", configText("2013.5.6", "PUBLISHED"), true},
        {QByteArray(), "SITE: NOVERSION\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.local.constData());
        QFile::remove(localPath());
        if (!c.local.isEmpty())
            writeFile(localPath(), c.local);
        job.errors.clear();
        server.serve(c.published);
        EXPECT_FALSE(update.run());
        EXPECT_EQ(job.errors, QStringList({"Invalid format of configuration file " +
                                           (c.localIsFaulty ? localPath() : downloadPath())}));
        EXPECT_FALSE(settings.lastCheck.isValid());
        if (c.local.isEmpty())
            EXPECT_FALSE(QFile::exists(localPath()));
        else
            EXPECT_EQ(readFile(localPath()), c.local);
    }
}

TEST_F(SitesConfigUpdateTest, FirstRunInstallsTheDownload)
{
    server.serve(configText("2013.5.6", "PUBLISHED"));
    EXPECT_TRUE(update.run());
    EXPECT_EQ(job.statuses,
              QStringList({checking, "Installing configuration file version 2013.5.6"}));
    EXPECT_TRUE(job.errors.isEmpty());
    EXPECT_EQ(settings.lastCheck, today);
    EXPECT_EQ(filesIn(settings.dir), QStringList({"sites_config.txt"}));
    EXPECT_EQ(readFile(localPath()), configText("2013.5.6", "PUBLISHED"));
}

TEST_F(SitesConfigUpdateTest, CleanUpFollowsTheConfiguredFileName)
{
    settings.fileName = "lower_river.txt";
    const QString local = settings.dir + "/lower_river.txt";
    writeFile(local, configText("2012.3.4", "LOCAL"));
    writeFile(local + ".2010.1.1", "old backup");
    writeFile(settings.dir + "/sites_config.txt", "not ours");
    server.serve(configText("2013.5.6", "PUBLISHED"));

    EXPECT_TRUE(update.run());
    EXPECT_EQ(filesIn(settings.dir),
              QStringList({"lower_river.txt", "lower_river.txt.2012.3.4", "sites_config.txt"}));
    EXPECT_EQ(readFile(local), configText("2013.5.6", "PUBLISHED"));
}

TEST(SitesConfigUpdateUrl, EnvironmentOverridesTheMakersAddress)
{
    {
        ScopedEnv unset(SitesConfigUpdate::urlVariable, QByteArray());
        const QUrl url = SitesConfigUpdate::publishedUrl();
        EXPECT_TRUE(url.isValid());
        EXPECT_EQ(url.scheme(), "https");
        EXPECT_EQ(url.fileName(), "sites_config.txt");
    }
    ScopedEnv set(SitesConfigUpdate::urlVariable, "http://mirror.example/data/sites_config.txt");
    EXPECT_EQ(SitesConfigUpdate::publishedUrl(),
              QUrl("http://mirror.example/data/sites_config.txt"));
}
