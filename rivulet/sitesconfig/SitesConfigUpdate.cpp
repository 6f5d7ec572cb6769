#include "rivulet/sitesconfig/SitesConfigUpdate.h"

#include "lum/core/FileReplacer.h"
#include "lum/thread/ThreadRunnable.h"
#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigSettingsI.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <optional>

namespace rivulet {

namespace {

const char* const makerUrl = "https://aldermoor-lab.example/rivulet/sites_config.txt";
const QString versionFormat = QStringLiteral("yyyy.M.d");

// The version date of a file (invalid when it has none), or no value when
// the file cannot be opened.
std::optional<QDate> versionOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream stream(&file);
    return SitesConfig::readConfigDate(stream);
}

} // namespace

QUrl SitesConfigUpdate::publishedUrl()
{
    const QString configured = qEnvironmentVariable(urlVariable).trimmed();
    return QUrl(configured.isEmpty() ? QString::fromLatin1(makerUrl) : configured);
}

bool SitesConfigUpdate::run()
{
    m_job.status(QStringLiteral("Checking the sites configuration version"));
    SitesConfigDownload download(m_url, m_timeoutMs);
    if (!download.fetch()) {
        m_job.status(
            QStringLiteral("Failed to connect to LUM website, using current configuration file."));
        return true;
    }
    const QString localPath = m_settings.defaultSitesConfigPath();
    if (localPath.isEmpty())
        return fail(QStringLiteral("Unable to create sites configuration path"));
    const QString downloadPath = localPath + QLatin1Char('.') + m_today.toString("yyyyMMdd");
    if (const lum::Expected<void> saved = lum::FileReplacer(downloadPath).replace(download.body());
        !saved)
        return fail(QStringLiteral("Unable to create file ") + downloadPath + QStringLiteral(": ") +
                    saved.error().reason);
    return compareAndReplace(localPath, downloadPath);
}

bool SitesConfigUpdate::compareAndReplace(const QString& localPath, const QString& downloadPath)
{
    const std::optional<QDate> newDate = versionOf(downloadPath);
    if (!newDate)
        return fail(QStringLiteral("Unable to open file ") + downloadPath);
    // The first run on a machine has nothing to compare with.
    if (!QFile::exists(localPath))
        return install(localPath, downloadPath, *newDate);
    const std::optional<QDate> localDate = versionOf(localPath);
    if (!localDate)
        return fail(QStringLiteral("Unable to open file ") + localPath);
    if (!localDate->isValid())
        return fail(QStringLiteral("Invalid format of configuration file ") + localPath);
    if (!newDate->isValid())
        return fail(QStringLiteral("Invalid format of configuration file ") + downloadPath);

    if (*localDate < *newDate)
        replace(localPath, downloadPath, *localDate, *newDate);
    cleanUp(*localDate);
    m_settings.setLastUpdateCheck(m_today);
    return true;
}

bool SitesConfigUpdate::install(const QString& localPath, const QString& downloadPath,
                                const QDate& newDate)
{
    if (!newDate.isValid())
        return fail(QStringLiteral("Invalid format of configuration file ") + downloadPath);
    m_job.status(QStringLiteral("Installing configuration file version ") +
                 newDate.toString(versionFormat));
    if (!QFile::rename(downloadPath, localPath))
        m_job.setErrorMessage(QStringLiteral("Unable to rename new config file"));
    cleanUp(QDate());
    m_settings.setLastUpdateCheck(m_today);
    return true;
}

void SitesConfigUpdate::replace(const QString& localPath, const QString& downloadPath,
                                const QDate& localDate, const QDate& newDate)
{
    m_job.status(QStringLiteral("Updating configuration file to version ") +
                 newDate.toString(versionFormat));
    const QString backup = backupPath(localPath, localDate);
    // A backup of this same version left by an earlier update would make
    // the rename fail and keep the outdated file in place for good.
    if (QFile::exists(backup))
        QFile::remove(backup);
    if (!QFile::rename(localPath, backup))
        m_job.setErrorMessage(QStringLiteral("Unable to rename outdated config file"));
    if (!QFile::rename(downloadPath, localPath)) {
        m_job.setErrorMessage(QStringLiteral("Unable to rename new config file"));
        // Never leave the program without a local file.
        if (!QFile::exists(localPath))
            QFile::rename(backup, localPath);
    }
}

void SitesConfigUpdate::cleanUp(const QDate& localDate)
{
    QDir dir(m_settings.sitesConfigDir());
    const QString name = m_settings.sitesConfigFileName();
    const QString backupName = localDate.isValid() ? backupPath(name, localDate) : QString();
    for (const QString& entry : dir.entryList({name + QLatin1Char('*')}, QDir::Files)) {
        if (entry != name && entry != backupName)
            dir.remove(entry);
    }
}

bool SitesConfigUpdate::fail(const QString& message)
{
    m_job.setErrorMessage(message);
    return false;
}

QString SitesConfigUpdate::backupPath(const QString& localPath, const QDate& version)
{
    return localPath + QLatin1Char('.') + version.toString(versionFormat);
}

} // namespace rivulet
