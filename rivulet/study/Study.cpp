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
    : QObject(parent), source_(source), rdb_(rdb), sitesConfig_(std::make_unique<SitesConfig>()),
      sitesConfigSettings_(std::make_unique<SitesConfigAppSettings>(RivuletSettings::instance()))
{
    if (source == Database) {
        database_ = std::make_unique<DatabaseObjects>(*sitesConfig_, rdb_);
        releases_ = &database_->releases;
        sites_ = &database_->sites;
        years_ = &database_->years;
        counts_ = &database_->counts;
    } else {
        countsFile_ = std::make_unique<CountsFileObjects>();
        releases_ = &countsFile_->releases;
        sites_ = &countsFile_->sites;
        years_ = &countsFile_->years;
        counts_ = &countsFile_->counts;
    }
    summary_ = std::make_unique<ReleaseSummary>(*releases_, *sites_, *years_, *counts_);
    catalogue_ = std::make_unique<ModelCatalogue>(*releases_, *sites_, *years_, *summary_);
    results_ = std::make_unique<EstimationResults>(*releases_, *sites_, *years_);
}

Study::~Study() = default;

void Study::setSitesConfigPath(const QString& path)
{
    sitesConfigPath_ = path;
}

void Study::setSitesConfigSettings(std::unique_ptr<SitesConfigSettingsI> settings)
{
    if (settings)
        sitesConfigSettings_ = std::move(settings);
}

lum::Expected<void> Study::readCountsFile(QTextStream& in)
{
    if (!countsFile_)
        return lum::Error(lum::JobError::Failed,
                          QStringLiteral("The study reads its data from the database"));
    // The loader leaves the objects as they were when the file is malformed.
    CountsFileObjects& objects = *countsFile_;
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
    if (countsFile_) {
        CountsFileObjects& objects = *countsFile_;
        SimulatedDataLoader(objects.releases, objects.sites, objects.years, objects.counts).clear();
        markDataLoaded();
        return {};
    }
    lum::SqliteDb* db = rdb_.database();
    if (db == nullptr || !db->isOpen())
        return lum::Error(lum::JobError::Database, QStringLiteral("The database is not open."));
    lum::DbTransaction transaction(*db);
    // The table models stay registered: the controllers hold them for the whole run.
    if (transaction.error() != 0 || !rdb_.resetTables({}) || !rdb_.createTables() ||
        transaction.commit() != 0)
        return lum::Error(lum::JobError::Database, db->lastError().text());
    markDataLoaded();
    return {};
}

ReleasesController* Study::databaseReleases()
{
    return database_ ? &database_->releases : nullptr;
}

SitesController* Study::databaseSites()
{
    return database_ ? &database_->sites : nullptr;
}

YearsController* Study::databaseYears()
{
    return database_ ? &database_->years : nullptr;
}

NextDetections* Study::databaseCounts()
{
    return database_ ? &database_->counts : nullptr;
}

const DerivedDataStore* Study::derivedDataStore() const
{
    return database_ ? &database_->derivedData : nullptr;
}

DetectionSequenceController* Study::sequences()
{
    return database_ ? &database_->sequences : nullptr;
}

const DetectionSequenceControllerI* Study::sequences() const
{
    return database_ ? &database_->sequences : nullptr;
}

std::int64_t Study::fishCount(ReleaseId release) const
{
    return counts_->releaseNotSeen(release) + counts_->releaseNextCounts(release).sum();
}

void Study::markDataLoaded()
{
    upToDate_ = false;
    resultsRestored_ = false;
    dataFingerprint_.clear();
    // Fits of the data replaced are of no further use (and could never be read back).
    if (database_)
        StoredFits(rdb_).forget();
    emit dataLoaded();
}

void Study::markUpdated()
{
    upToDate_ = true;
    resultsRestored_ = false;
    bool restored = false;
    if (database_) {
        dataFingerprint_ = database_->derivedData.fingerprint();
        // Results in memory are those of this run; the stored ones only fill an empty study.
        if (results_->isEmpty() && results_->failures().empty())
            restored =
                StoredFits(rdb_).load(dataFingerprint_, *catalogue_, *results_) == StoredFits::Read;
    }
    resultsRestored_ = restored && !results_->isEmpty();
    emit dataChanged();
    if (restored)
        emit resultsChanged();
}

bool Study::storeResults(QString* error)
{
    if (!database_ || dataFingerprint_.isEmpty())
        return true;
    return StoredFits(rdb_).save(dataFingerprint_, *results_, error);
}

void Study::markResultsChanged()
{
    emit resultsChanged();
}

void Study::clearResults()
{
    results_->clear();
    emit resultsChanged();
}

} // namespace rivulet
