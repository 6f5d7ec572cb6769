#include "rivulet/sitesconfig/SitesConfigLoader.h"

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigSettingsI.h"
#include "rivulet/sitesconfig/SitesConfigUpdate.h"

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
        if (!QFileInfo::exists(configuredPath))
            return fail(QStringLiteral("Unable to load configuration file \"") + configuredPath +
                        QStringLiteral("\": no such file"));
        m_job.status(QStringLiteral("Loading alternate sites configuration file \"") +
                     configuredPath + QLatin1Char('"'));
        return load(configuredPath);
    }
    if (!defaultPath.isEmpty() && holds(defaultPath))
        return true;
    if (defaultPath.isEmpty())
        return fail(QStringLiteral("Unable to create sites configuration path"));
    const QDate lastCheck = m_settings.lastUpdateCheck();
    if (lastCheck.isValid() && lastCheck >= m_today) {
        m_job.status(QStringLiteral("Loading sites configuration"));
        return load(defaultPath);
    }
    SitesConfigUpdate update(m_settings, m_job);
    update.setToday(m_today);
    if (!update.run())
        return false;
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

bool SitesConfigLoader::load(const QString& path)
{
    m_config.load(path);
    for (const QString& message : m_config.messages())
        m_job.warning(message);
    if (m_config.isLoaded())
        return true;
    if (!m_config.errors().isEmpty())
        return fail(QStringLiteral("Unusable sites configuration: ") +
                    m_config.errors().join(QStringLiteral("; ")));
    // Without detection sites every row of the data would fail on its release site; the
    // missing configuration is the cause to name.
    return fail(QFileInfo::exists(path)
                    ? QStringLiteral("No usable sites configuration: \"") + path +
                          QStringLiteral("\" describes no detection sites.")
                    : QStringLiteral("No usable sites configuration: the file \"") + path +
                          QStringLiteral("\" does not exist."));
}

bool SitesConfigLoader::fail(const QString& message)
{
    if (m_remedy.isEmpty())
        m_job.setErrorMessage(message);
    else
        m_job.setErrorMessage(
            message +
            (message.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". ")) +
            m_remedy);
    return false;
}

} // namespace rivulet
