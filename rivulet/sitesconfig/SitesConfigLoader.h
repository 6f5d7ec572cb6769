#pragma once

#include "lum/core/Expected.h"

#include <QDate>
#include <QString>

namespace lum {
class ThreadRunnable;
}

namespace rivulet {

class SitesConfig;
class SitesConfigSettingsI;

// Chooses the sites configuration file for an observation load and reads
// it when the configuration does not hold that file yet: an alternate file
// the user picked (which must exist), otherwise the shared default file,
// checked against the published version at most once a day. Choosing
// another file later reads again, so a study follows a changed setting
// without a restart. Progress and warnings go through the loading job; a
// failure is returned, for the job to fail with.
class SitesConfigLoader
{
public:
    SitesConfigLoader(SitesConfig& config, SitesConfigSettingsI& settings, lum::ThreadRunnable& job)
        : m_config(config), m_settings(settings), m_job(job)
    {
    }

    // `configuredPath` is the file chosen in the settings (empty or the
    // default path for the default file). An error when the load must stop.
    lum::Expected<void> ensureLoaded(const QString& configuredPath);

    // For tests: the day the version check takes as today.
    void setToday(const QDate& today) { m_today = today; }
    // Appended to every error of this step: how the user names another file where the
    // loader was started (the window's settings, the tool's option).
    void setRemedy(const QString& remedy) { m_remedy = remedy; }

private:
    bool isDefault(const QString& configuredPath, const QString& defaultPath) const;
    bool holds(const QString& path) const;
    // Reads the file; an error when it gives no configuration to load with.
    lum::Expected<void> load(const QString& path);
    // `message` with the remedy.
    lum::Error failure(lum::JobError code, const QString& message) const;

    SitesConfig& m_config;
    SitesConfigSettingsI& m_settings;
    lum::ThreadRunnable& m_job;
    QDate m_today = QDate::currentDate();
    QString m_remedy;
};

} // namespace rivulet
