#pragma once

#include "lum/core/Expected.h"
#include "rivulet/data/ReleaseKeys.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class QTextStream;

namespace rivulet {

class DerivedDataStore;
class DetectionSequenceController;
class DetectionSequenceControllerI;
class EstimationResults;
class ModelCatalogue;
class NextDetections;
class NextDetectionsI;
class ReleaseSummary;
class ReleasesController;
class ReleasesControllerI;
class RivuletDb;
class SitesConfig;
class SitesConfigSettingsI;
class SitesController;
class SitesControllerI;
class YearsController;
class YearsControllerI;

// One data set and everything derived from it, for the whole run of a program: the sites
// configuration, the releases, sites and years controllers, the detection histories, the
// next-detection counts, the release summary, the model catalogue and the estimation
// results. The window, the headless tool and the benchmarks each hold one; the jobs that
// change it are built by StudyActions.
//
// The data come either from the database (the controllers read it) or from a next-detection
// counts file (simulated data, "--counts"): then the controllers are the counts-file ones, there
// are no histories, and readCountsFile fills them.
//
//     Study study(Study::Database, RivuletDb::instance());
//     StudyActions actions(study, runner);
//     auto update = actions.update();     // a job; dataChanged() when it is done
//
// The signals may come from a job's thread; receivers on another thread get them queued.
class Study : public QObject
{
    Q_OBJECT

public:
    enum Source
    {
        Database,
        CountsFile
    };

    // `rdb` (borrowed, open) is read only with Source::Database.
    Study(Source source, RivuletDb& rdb, QObject* parent = nullptr);
    ~Study() override;
    Study(const Study&) = delete;
    Study& operator=(const Study&) = delete;

    Source source() const { return m_source; }
    bool isCountsFile() const { return m_source == CountsFile; }

    // The sites configuration file the next observation load reads: empty for the shared
    // default file. Changing it makes that load read the file again.
    const QString& sitesConfigPath() const { return m_sitesConfigPath; }
    void setSitesConfigPath(const QString& path);
    SitesConfig& sitesConfig() { return *m_sitesConfig; }
    // The settings that locate the shared file and its daily version check.
    SitesConfigSettingsI& sitesConfigSettings() { return *m_sitesConfigSettings; }
    // Replaces those settings (tools and benchmarks keep away from the user's folders).
    void setSitesConfigSettings(std::unique_ptr<SitesConfigSettingsI> settings);

    // Reads the controllers and counts of a counts file (Source::CountsFile only). An input
    // error (the parse error with its line and column) when it cannot; the data set is then
    // unchanged.
    lum::Expected<void> readCountsFile(QTextStream& in);
    // "Clear All Data": every table of a database study dropped and made anew, empty (its
    // settings too), in one transaction; a counts-file study left without sites, years,
    // releases or counts. The derived objects are stale until an update. A database error
    // when the database refused; nothing was changed then.
    lum::Expected<void> clearAllData();

    RivuletDb& database() { return m_rdb; }
    const ReleasesControllerI& releases() const { return *m_releases; }
    ReleasesControllerI& releases() { return *m_releases; }
    const SitesControllerI& sites() const { return *m_sites; }
    SitesControllerI& sites() { return *m_sites; }
    const YearsControllerI& years() const { return *m_years; }
    YearsControllerI& years() { return *m_years; }
    const NextDetectionsI& nextDetections() const { return *m_counts; }
    NextDetectionsI& nextDetections() { return *m_counts; }
    const ReleaseSummary& summary() const { return *m_summary; }
    ReleaseSummary& summary() { return *m_summary; }
    const ModelCatalogue& catalogue() const { return *m_catalogue; }
    ModelCatalogue& catalogue() { return *m_catalogue; }
    const EstimationResults& results() const { return *m_results; }
    EstimationResults& results() { return *m_results; }

    // The database's own controllers and histories; null with a counts file.
    ReleasesController* databaseReleases();
    SitesController* databaseSites();
    YearsController* databaseYears();
    DetectionSequenceController* sequences();
    const DetectionSequenceControllerI* sequences() const;
    NextDetections* databaseCounts();
    // Where an update keeps the counts it derived for the next run; null with a counts file.
    const DerivedDataStore* derivedDataStore() const;

    // True after an update ran to its end; false again after a load or a failed or
    // canceled update (the derived objects may then disagree with the data).
    bool isUpToDate() const { return m_upToDate.load(); }

    // The number of fish of a release: those never seen and those seen at least once.
    std::int64_t fishCount(ReleaseId release) const;

    // Called by the jobs of StudyActions when they have changed the study.
    void markDataLoaded();
    void markUpdated();
    void markResultsChanged();
    void clearResults();

    // Keeps the results in the database with the data they were fitted on (the data as of the
    // last update), for the next run on the file (StoredFits); nothing for a counts file. False
    // when nothing was kept because the data have changed since; the database's error when
    // the file refused them.
    lum::Expected<bool> storeResults();
    // True when the last update read the results back from the database.
    bool resultsWereStored() const { return m_resultsRestored.load(); }

signals:
    // Observations or ages were stored: the derived objects are stale until an update.
    void dataLoaded();
    // An update brought the controllers, counts, summary and catalogue up to date.
    void dataChanged();
    // The estimation results were cleared or a run recorded new ones.
    void resultsChanged();

private:
    struct DatabaseObjects;
    struct CountsFileObjects;

    const Source m_source;
    RivuletDb& m_rdb;
    QString m_sitesConfigPath;
    std::unique_ptr<SitesConfig> m_sitesConfig;
    std::unique_ptr<SitesConfigSettingsI> m_sitesConfigSettings;
    std::unique_ptr<DatabaseObjects> m_database;
    std::unique_ptr<CountsFileObjects> m_countsFile;
    // Owned by m_database or m_countsFile.
    ReleasesControllerI* m_releases = nullptr;
    SitesControllerI* m_sites = nullptr;
    YearsControllerI* m_years = nullptr;
    NextDetectionsI* m_counts = nullptr;
    std::unique_ptr<ReleaseSummary> m_summary;
    std::unique_ptr<ModelCatalogue> m_catalogue;
    std::unique_ptr<EstimationResults> m_results;
    std::atomic<bool> m_upToDate{false};
    std::atomic<bool> m_resultsRestored{false};
    // The fingerprint of the data the last update derived from: the key of stored results.
    QByteArray m_dataFingerprint;
};

} // namespace rivulet
