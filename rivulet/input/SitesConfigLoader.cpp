#include "rivulet/input/SitesConfigLoader.h"

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigSettingsI.h"
#include "rivulet/input/SitesConfigUpdate.h"

#include <QFileInfo>

namespace rivulet {

bool SitesConfigLoader::ensureLoaded(const QString& configuredPath)
{
    const QString defaultPath = m_settings.defaultSitesConfigPath();
    if (!isDefault(configuredPath, defaultPath)) {
        if (holds(configuredPath))
            return true;
        // A file named on purpose that is not there is a mistake to report,
        // not a reason to quietly study another river.
        if (!QFileInfo::exists(configuredPath)) {
            m_job.setErrorMessage(QStringLiteral("Unable to load configuration file \"") +
                                  configuredPath + QStringLiteral("\": no such file"));
            return false;
        }
        m_job.status(QStringLiteral("Loading alternate sites configuration file \"") +
                     configuredPath + QLatin1Char('"'));
        load(configuredPath);
        return true;
    }
    if (!defaultPath.isEmpty() && holds(defaultPath))
        return true;
    if (defaultPath.isEmpty()) {
        m_job.setErrorMessage(QStringLiteral("Unable to create sites configuration path"));
        return false;
    }
    const QDate lastCheck = m_settings.lastUpdateCheck();
    if (lastCheck.isValid() && lastCheck >= m_today) {
        m_job.status(QStringLiteral("Loading sites configuration"));
        load(defaultPath);
        return true;
    }
    SitesConfigUpdate update(m_settings, m_job);
    update.setToday(m_today);
    if (!update.run())
        return false;
    load(defaultPath);
    return true;
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

void SitesConfigLoader::load(const QString& path)
{
    m_config.load(path);
    for (const QString& message : m_config.messages())
        m_job.warning(message);
}

} // namespace rivulet
