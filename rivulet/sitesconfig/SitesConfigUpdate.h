#pragma once

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
// Reports go through the job that runs the check.
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

    // False when the observation load must not go on (its error has been
    // reported). A failed connection is not an error: the local file stays
    // and the next load tries again.
    bool run();

private:
    bool compareAndReplace(const QString& localPath, const QString& downloadPath);
    bool install(const QString& localPath, const QString& downloadPath, const QDate& newDate);
    void replace(const QString& localPath, const QString& downloadPath, const QDate& localDate,
                 const QDate& newDate);
    void cleanUp(const QDate& localDate);
    bool fail(const QString& message);
    static QString backupPath(const QString& localPath, const QDate& version);

    SitesConfigSettingsI& m_settings;
    lum::ThreadRunnable& m_job;
    QUrl m_url = publishedUrl();
    int m_timeoutMs = SitesConfigDownload::defaultTimeoutMs;
    QDate m_today = QDate::currentDate();
};

} // namespace rivulet
