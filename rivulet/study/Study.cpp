#include "rivulet/study/Study.h"

#include "lum/core/ParseError.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/counts/NextDetections.h"
#include "rivulet/data/DerivedDataStore.h"
#include "rivulet/data/DetectionSequenceController.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"
#include "rivulet/filesource/SimulatedDataLoader.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigAppSettings.h"
#include "rivulet/sitesconfig/SitesConfigCatalog.h"
#include "rivulet/study/StoredFits.h"
#include "rivulet/summary/ReleaseSummary.h"

namespace rivulet {

struct Study::DatabaseObjects
{
    DatabaseObjects(const SitesConfig& config, RivuletDb& rdb)
        : catalog(config), sites(catalog, rdb), years(rdb), releases(rdb),
          sequences(releases, sites, rdb), counts(releases, sites, years, sequences),
          derivedData(rdb)
    {
    }

    SitesConfigCatalog catalog;
    SitesController sites;
    YearsController years;
    ReleasesController releases;
    DetectionSequenceController sequences;
    NextDetections counts;
    DerivedDataStore derivedData;
};

struct Study::CountsFileObjects
{
    CountsFileSitesController sites;
    CountsFileYearsController years;
    CountsFileReleasesController releases;
    NextDetectionsFromFile counts{releases, sites, years};
};

Study::Study(Source source, RivuletDb& rdb, QObject* parent)
    : QObject(parent), m_source(source), m_rdb(rdb), m_sitesConfig(std::make_unique<SitesConfig>()),
      m_sitesConfigSettings(std::make_unique<SitesConfigAppSettings>(RivuletSettings::instance()))
{
    if (source == Database) {
        m_database = std::make_unique<DatabaseObjects>(*m_sitesConfig, m_rdb);
        m_releases = &m_database->releases;
        m_sites = &m_database->sites;
        m_years = &m_database->years;
        m_counts = &m_database->counts;
    } else {
        m_countsFile = std::make_unique<CountsFileObjects>();
        m_releases = &m_countsFile->releases;
        m_sites = &m_countsFile->sites;
        m_years = &m_countsFile->years;
        m_counts = &m_countsFile->counts;
    }
    m_summary = std::make_unique<ReleaseSummary>(*m_releases, *m_sites, *m_years, *m_counts);
    m_catalogue = std::make_unique<ModelCatalogue>(*m_releases, *m_sites, *m_years, *m_summary);
    m_results = std::make_unique<EstimationResults>(*m_releases, *m_sites, *m_years);
}

Study::~Study() = default;

void Study::setSitesConfigPath(const QString& path)
{
    m_sitesConfigPath = path;
}

void Study::setSitesConfigSettings(std::unique_ptr<SitesConfigSettingsI> settings)
{
    if (settings)
        m_sitesConfigSettings = std::move(settings);
}

lum::Expected<void> Study::readCountsFile(QTextStream& in)
{
    if (!m_countsFile)
        return lum::Error(lum::JobError::Failed,
                          QStringLiteral("The study reads its data from the database"));
    // The loader leaves the objects as they were when the file is malformed.
    CountsFileObjects& objects = *m_countsFile;
    try {
        SimulatedDataLoader(objects.releases, objects.sites, objects.years, objects.counts)
            .load(in);
    } catch (const lum::ParseError& parseError) {
        return parseError.error();
    }
    markDataLoaded();
    return {};
}

lum::Expected<void> Study::clearAllData()
{
    if (m_countsFile) {
        CountsFileObjects& objects = *m_countsFile;
        SimulatedDataLoader(objects.releases, objects.sites, objects.years, objects.counts).clear();
        markDataLoaded();
        return {};
    }
    lum::SqliteDb* db = m_rdb.database();
    if (db == nullptr || !db->isOpen())
        return lum::Error(lum::JobError::Database, QStringLiteral("The database is not open."));
    lum::DbTransaction transaction(*db);
    lum::Expected<void> cleared = transaction.begun();
    // The table models stay registered: the controllers hold them for the whole run.
    if (cleared)
        cleared = m_rdb.resetTables({});
    if (cleared)
        cleared = m_rdb.createTables();
    if (cleared)
        cleared = transaction.commit();
    if (!cleared)
        return lum::Error(lum::JobError::Database, cleared.error().text());
    markDataLoaded();
    return {};
}

ReleasesController* Study::databaseReleases()
{
    return m_database ? &m_database->releases : nullptr;
}

SitesController* Study::databaseSites()
{
    return m_database ? &m_database->sites : nullptr;
}

YearsController* Study::databaseYears()
{
    return m_database ? &m_database->years : nullptr;
}

NextDetections* Study::databaseCounts()
{
    return m_database ? &m_database->counts : nullptr;
}

const DerivedDataStore* Study::derivedDataStore() const
{
    return m_database ? &m_database->derivedData : nullptr;
}

DetectionSequenceController* Study::sequences()
{
    return m_database ? &m_database->sequences : nullptr;
}

const DetectionSequenceControllerI* Study::sequences() const
{
    return m_database ? &m_database->sequences : nullptr;
}

std::int64_t Study::fishCount(ReleaseId release) const
{
    return m_counts->releaseNotSeen(release) + m_counts->releaseNextCounts(release).sum();
}

void Study::markDataLoaded()
{
    m_upToDate = false;
    m_resultsRestored = false;
    m_dataFingerprint.clear();
    // Fits of the data replaced are of no further use (and could never be read back).
    if (m_database)
        StoredFits(m_rdb).forget();
    emit dataLoaded();
}

void Study::markUpdated()
{
    m_upToDate = true;
    m_resultsRestored = false;
    bool restored = false;
    if (m_database) {
        m_dataFingerprint = m_database->derivedData.fingerprint();
        // Results in memory are those of this run; the stored ones only fill an empty study.
        if (m_results->isEmpty() && m_results->failures().empty())
            restored = StoredFits(m_rdb).load(m_dataFingerprint, *m_catalogue, *m_results) ==
                       StoredFits::Read;
    }
    m_resultsRestored = restored && !m_results->isEmpty();
    emit dataChanged();
    if (restored)
        emit resultsChanged();
}

lum::Expected<bool> Study::storeResults()
{
    if (!m_database || m_dataFingerprint.isEmpty())
        return false;
    return StoredFits(m_rdb).save(m_dataFingerprint, *m_results);
}

void Study::markResultsChanged()
{
    emit resultsChanged();
}

void Study::clearResults()
{
    m_results->clear();
    emit resultsChanged();
}

} // namespace rivulet
