#pragma once

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/input/ObsLoadSummary.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <string_view>

namespace rivulet {

class DataFileReader;
class ObsRecord;
class ObsStudyWriter;
class ReleasesController;
class RivuletDb;
class SitesConfig;
class SitesConfigSettingsI;
class SitesController;
class YearsController;
struct SiteRecord;

// Loads a comma-separated export of PIT-tag detections (one row per detection, the tag's
// release fields repeated on each row) as the study held in the database. A load replaces
// the previous study as a whole, in one transaction: when a row is refused, nothing of the
// file is stored and the previous study stays as it was.
//
// Detections are kept only when their site lies downstream of the tag's release site; each
// gets its disposition from the sites configuration's route rules, and at the end its
// migration year.
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
    enum RowResult
    {
        RowDone,
        RowFailed
    };

    bool prepareFile(DataFileReader& reader);
    void store(DataFileReader& reader);
    bool readRows(DataFileReader& reader, ObsStudyWriter& writer);
    RowResult readRow(const ObsRecord& record, int line, ObsStudyWriter& writer);
    RowResult startTag(const ObsRecord& record, int line, ObsStudyWriter& writer);
    RowResult readDetection(const ObsRecord& record, int line, ObsStudyWriter& writer);
    bool looksLikeTitles(const ObsRecord& record) const;
    const SiteRecord* releaseSite(std::string_view name);
    // The detection site and its code as text.
    const SiteRecord* detectionSite(std::string_view code, const QString** text);
    const QString& coilText(std::string_view coil);
    bool isDownstream(const SiteRecord& detection, const SiteRecord& release);
    // Reports the error of row `line` (none below 1) and marks the run failed.
    RowResult fail(const QString& message, int line = 0, lum::JobError code = lum::JobError::Input);
    // A row refused for the value of one field: the message names the file, the line, the
    // field's title and its value.
    RowResult failOnField(const QString& message, int line, const ObsRecord& record, int field);

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
    // The run of rows of the tag being read.
    QByteArray m_tagCode;
    const SiteRecord* m_releaseSite = nullptr;
    // Its release as its first row gives it, and its rows so far (whole) with their lines.
    QByteArray m_releaseSiteText;
    QByteArray m_releaseTimeText;
    double m_releaseDay = 0.0;
    int m_tagLine = 0;
    QHash<QByteArray, int> m_tagRows;
    // The line being read.
    const QByteArray* m_line = nullptr;
    // Look-ups that repeat on nearly every row, kept for the run.
    struct Lookups;
    std::unique_ptr<Lookups> m_lookups;
};

} // namespace rivulet
