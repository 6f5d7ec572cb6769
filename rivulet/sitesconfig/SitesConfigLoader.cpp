#include "rivulet/sitesconfig/SitesConfigLoader.h"

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigSettingsI.h"
#include "rivulet/sitesconfig/SitesConfigUpdate.h"

#include <QFileInfo>

namespace rivulet {

lum::Expected<void> SitesConfigLoader::ensureLoaded(const QString& configuredPath)
{
    const QString defaultPath = m_settings.defaultSitesConfigPath();
    if (!isDefault(configuredPath, defaultPath)) {
        if (holds(configuredPath))
            return {};
        // A file named on purpose that is not there is a mistake to report,
        // not a reason to quietly study another river.
        if (!QFileInfo::exists(configuredPath))
            return failure(lum::JobError::File,
                           QStringLiteral("Unable to load configuration file \"") + configuredPath +
                               QStringLiteral("\": no such file"));
        m_job.status(QStringLiteral("Loading alternate sites configuration file \"") +
                     configuredPath + QLatin1Char('"'));
        return load(configuredPath);
    }
    if (!defaultPath.isEmpty() && holds(defaultPath))
        return {};
    if (defaultPath.isEmpty())
        return failure(lum::JobError::File,
                       QStringLiteral("Unable to create sites configuration path"));
    const QDate lastCheck = m_settings.lastUpdateCheck();
    if (lastCheck.isValid() && lastCheck >= m_today) {
        m_job.status(QStringLiteral("Loading sites configuration"));
        return load(defaultPath);
    }
    SitesConfigUpdate update(m_settings, m_job);
    update.setToday(m_today);
    if (lum::Expected<void> updated = update.run(); !updated)
        return updated;
    return load(defaultPath);
}

bool SitesConfigLoader::holds(const QString& path) const
{
    return m_config.isLoaded() && QFileInfo(m_config.sourcePath()).absoluteFilePath() ==
                                      QFileInfo(path).absoluteFilePath();
}

bool SitesConfigLoader::isDefault(const QString& configuredPath, const QString& defaultPath) const
{
    // No choice at all means the default file, too.
    if (configuredPath.isEmpty() || configuredPath == defaultPath)
        return true;
    return !defaultPath.isEmpty() && QFileInfo(configuredPath).absoluteFilePath() ==
                                         QFileInfo(defaultPath).absoluteFilePath();
}

lum::Expected<void> SitesConfigLoader::load(const QString& path)
{
    m_config.load(path);
    for (const QString& message : m_config.messages())
        m_job.warning(message);
    if (m_config.isLoaded())
        return {};
    if (!m_config.errors().isEmpty())
        return failure(lum::JobError::Input, QStringLiteral("Unusable sites configuration: ") +
                                                 m_config.errors().join(QStringLiteral("; ")));
    // Without detection sites every row of the data would fail on its release site; the
    // missing configuration is the cause to name.
    if (QFileInfo::exists(path))
        return failure(lum::JobError::Input,
                       QStringLiteral("No usable sites configuration: \"") + path +
                           QStringLiteral("\" describes no detection sites."));
    return failure(lum::JobError::File,
                   QStringLiteral("No usable sites configuration: the file \"") + path +
                       QStringLiteral("\" does not exist."));
}

lum::Error SitesConfigLoader::failure(lum::JobError code, const QString& message) const
{
    if (m_remedy.isEmpty())
        return lum::Error(code, message);
    return lum::Error(code, message +
                                (message.endsWith(QLatin1Char('.')) ? QStringLiteral(" ")
                                                                    : QStringLiteral(". ")) +
                                m_remedy);
}

} // namespace rivulet
