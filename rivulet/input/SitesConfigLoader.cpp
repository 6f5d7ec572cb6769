#include "rivulet/input/SitesConfigLoader.h"

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/data/RivuletSettings.h"
#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigAppSettings.h"
#include "rivulet/input/SitesConfigSettingsI.h"
#include "rivulet/input/SitesConfigUpdate.h"

#include <QFileInfo>

namespace rivulet {

bool SitesConfigLoader::ensureLoaded(const QString& configuredPath)
{
    if (m_config.isLoaded())
        return true;
    const QString defaultPath = m_settings.defaultSitesConfigPath();
    if (!isDefault(configuredPath, defaultPath)) {
        if (QFileInfo::exists(configuredPath)) {
            m_job.status(QStringLiteral("Loading alternate sites configuration file \"") +
                         configuredPath + QLatin1Char('"'));
            load(configuredPath);
            return true;
        }
        m_job.status(QStringLiteral("Unable to load configuration file \"") + configuredPath +
                     QStringLiteral("\", will use the default"));
    }
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

bool SitesConfigLoader::ensureInstanceLoaded(lum::ThreadRunnable& job,
                                             const QString& configuredPath)
{
    SitesConfigAppSettings settings(RivuletSettings::instance());
    return SitesConfigLoader(SitesConfig::instance(), settings, job).ensureLoaded(configuredPath);
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
