#pragma once

#include "lum/core/Expected.h"
#include "lum/thread/ThreadRunnable.h"
#include "rivulet/input/ObsLoadSummary.h"

#include <QString>

#include <memory>

namespace rivulet {

class DataFileReader;
class ReleasesController;
class RivuletDb;
class SitesConfig;
class SitesConfigSettingsI;
class SitesController;
class YearsController;

// Loads a comma-separated export of PIT-tag detections as the study held in the database: the
// export's reader (ObsExportReader) checks its rows and the study's writer stores them. A load
// replaces the previous study as a whole, in one transaction: when a row is refused, nothing
// of the file is stored and the previous study stays as it was.
//
//     ObsDataLoader loader(path, &releases, &sites, &years, sitesConfigPath, &runner);
//     runner.setRunnable(&loader);
//     runner.start();          // errors arrive as the runner's `error` signal
class ObsDataLoader : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    // Controllers and runner are borrowed.
    ObsDataLoader(QString fileName, ReleasesController* releases, SitesController* sites,
                  YearsController* years, QString sitesConfigPath,
                  lum::ThreadRunner* runner = nullptr, RivuletDb* rdb = nullptr);
    ~ObsDataLoader() override;

    // The configuration to read sites from and the settings that locate its file (borrowed);
    // by default a configuration of the loader's own and the application's settings. A study
    // hands in its own configuration, so that it is read once for all its loads.
    void setSitesConfig(SitesConfig* config, SitesConfigSettingsI* settings);
    // How the user names another sites configuration file, added to the errors that stop a
    // load for want of a usable one.
    void setSitesConfigRemedy(const QString& remedy) { m_sitesConfigRemedy = remedy; }

    void run() override;

    QString fileName() const { return m_fileName; }
    // True when the last run stopped on an error (nothing was stored).
    bool failed() const { return m_failed; }
    const ObsLoadSummary& summary() const { return m_summary; }

private:
    lum::Expected<void> prepareFile(DataFileReader& reader);
    // Stores the rows the reader checks, all or (on a failure or a cancel) none.
    lum::Expected<void> store(DataFileReader& reader);

    QString m_fileName;
    QString m_sitesConfigPath;
    QString m_sitesConfigRemedy;
    ReleasesController* m_releases = nullptr; // not owned
    SitesController* m_sites = nullptr;       // not owned
    YearsController* m_years = nullptr;       // not owned
    RivuletDb* m_rdb = nullptr;               // not owned
    std::unique_ptr<SitesConfig> m_ownConfig;
    SitesConfig* m_config = nullptr; // m_ownConfig or borrowed
    SitesConfigSettingsI* m_settings = nullptr;
    std::unique_ptr<SitesConfigSettingsI> m_appSettings;

    bool m_failed = false;
    ObsLoadSummary m_summary;
};

} // namespace rivulet
