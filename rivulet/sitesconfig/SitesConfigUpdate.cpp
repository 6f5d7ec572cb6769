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

lum::Error cannotOpen(const QString& path)
{
    return lum::Error(lum::JobError::File, QStringLiteral("Unable to open file ") + path);
}

lum::Error invalidFormat(const QString& path)
{
    return lum::Error(lum::JobError::Input,
                      QStringLiteral("Invalid format of configuration file ") + path);
}

lum::Error cannotRename(const char* which)
{
    return lum::Error(lum::JobError::File, QStringLiteral("Unable to rename ") +
                                               QLatin1String(which) +
                                               QStringLiteral(" config file"));
}

} // namespace

QUrl SitesConfigUpdate::publishedUrl()
{
    const QString configured = qEnvironmentVariable(urlVariable).trimmed();
    return QUrl(configured.isEmpty() ? QString::fromLatin1(makerUrl) : configured);
}

lum::Expected<void> SitesConfigUpdate::run()
{
    m_job.status(QStringLiteral("Checking the sites configuration version"));
    SitesConfigDownload download(m_url, m_timeoutMs);
    if (!download.fetch()) {
        m_job.status(
            QStringLiteral("Failed to connect to LUM website, using current configuration file."));
        return {};
    }
    const QString localPath = m_settings.defaultSitesConfigPath();
    if (localPath.isEmpty())
        return lum::Error(lum::JobError::File,
                          QStringLiteral("Unable to create sites configuration path"));
    const QString downloadPath = localPath + QLatin1Char('.') + m_today.toString("yyyyMMdd");
    if (const lum::Expected<void> saved = lum::FileReplacer(downloadPath).replace(download.body());
        !saved)
        return lum::Error(lum::JobError::File, QStringLiteral("Unable to create file ") +
                                                   downloadPath + QStringLiteral(": ") +
                                                   saved.error().reason);
    return compareAndReplace(localPath, downloadPath);
}

lum::Expected<void> SitesConfigUpdate::compareAndReplace(const QString& localPath,
                                                         const QString& downloadPath)
{
    const std::optional<QDate> newDate = versionOf(downloadPath);
    if (!newDate)
        return cannotOpen(downloadPath);
    // The first run on a machine has nothing to compare with.
    if (!QFile::exists(localPath))
        return install(localPath, downloadPath, *newDate);
    const std::optional<QDate> localDate = versionOf(localPath);
    if (!localDate)
        return cannotOpen(localPath);
    if (!localDate->isValid())
        return invalidFormat(localPath);
    if (!newDate->isValid())
        return invalidFormat(downloadPath);

    lum::Expected<void> replaced;
    if (*localDate < *newDate)
        replaced = replace(localPath, downloadPath, *localDate, *newDate);
    // A failed rename still counts as today's check: it would fail again until the folder is
    // mended.
    cleanUp(*localDate);
    m_settings.setLastUpdateCheck(m_today);
    return replaced;
}

lum::Expected<void> SitesConfigUpdate::install(const QString& localPath,
                                               const QString& downloadPath, const QDate& newDate)
{
    if (!newDate.isValid())
        return invalidFormat(downloadPath);
    m_job.status(QStringLiteral("Installing configuration file version ") +
                 newDate.toString(versionFormat));
    lum::Expected<void> installed;
    if (!QFile::rename(downloadPath, localPath))
        installed = cannotRename("new");
    cleanUp(QDate());
    m_settings.setLastUpdateCheck(m_today);
    return installed;
}

lum::Expected<void> SitesConfigUpdate::replace(const QString& localPath,
                                               const QString& downloadPath, const QDate& localDate,
                                               const QDate& newDate)
{
    m_job.status(QStringLiteral("Updating configuration file to version ") +
                 newDate.toString(versionFormat));
    const QString backup = backupPath(localPath, localDate);
    // A backup of this same version left by an earlier update would make
    // the rename fail and keep the outdated file in place for good.
    if (QFile::exists(backup))
        QFile::remove(backup);
    lum::Expected<void> replaced;
    if (!QFile::rename(localPath, backup))
        replaced = cannotRename("outdated");
    if (!QFile::rename(downloadPath, localPath)) {
        // The new file not taking its place is what the user needs to hear, even after a
        // failed backup.
        replaced = cannotRename("new");
        // Never leave the program without a local file.
        if (!QFile::exists(localPath))
            QFile::rename(backup, localPath);
    }
    return replaced;
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

QString SitesConfigUpdate::backupPath(const QString& localPath, const QDate& version)
{
    return localPath + QLatin1Char('.') + version.toString(versionFormat);
}

} // namespace rivulet
