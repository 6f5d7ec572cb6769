#pragma once

#include "lum/core/Expected.h"
#include "rivulet/sitesconfig/SitesConfigDownload.h"

#include <QDate>
#include <QString>
#include <QUrl>

namespace lum {
class ThreadRunnable;
}

namespace rivulet {

class SitesConfigSettingsI;

// The daily check for a newer published sites configuration file. It
// downloads the published copy next to the local file, compares their
// version dates and, when the published one is newer, makes it the local
// file and keeps the previous one as a backup named with its version date.
// Older backups and unused downloads are removed.
//
// Only the file is brought up to date; reading it is the caller's job.
// Progress goes through the job that runs the check; a failure is returned,
// for that job to fail with.
class SitesConfigUpdate
{
public:
    // Overrides the compiled-in address of the published file.
    static constexpr const char* urlVariable = "RIVULET_SITES_CONFIG_URL";

    SitesConfigUpdate(SitesConfigSettingsI& settings, lum::ThreadRunnable& job)
        : m_settings(settings), m_job(job)
    {
    }

    // The compiled-in address, or the one in RIVULET_SITES_CONFIG_URL.
    static QUrl publishedUrl();

    void setUrl(const QUrl& url) { m_url = url; }
    void setTimeout(int ms) { m_timeoutMs = ms; }
    void setToday(const QDate& today) { m_today = today; }

    // An error when the observation load must not go on. A failed
    // connection is not an error: the local file stays and the next load
    // tries again.
    lum::Expected<void> run();

private:
    lum::Expected<void> compareAndReplace(const QString& localPath, const QString& downloadPath);
    lum::Expected<void> install(const QString& localPath, const QString& downloadPath,
                                const QDate& newDate);
    lum::Expected<void> replace(const QString& localPath, const QString& downloadPath,
                                const QDate& localDate, const QDate& newDate);
    void cleanUp(const QDate& localDate);
    static QString backupPath(const QString& localPath, const QDate& version);

    SitesConfigSettingsI& m_settings;
    lum::ThreadRunnable& m_job;
    QUrl m_url = publishedUrl();
    int m_timeoutMs = SitesConfigDownload::defaultTimeoutMs;
    QDate m_today = QDate::currentDate();
};

} // namespace rivulet
