#pragma once

#include "lum/db/SqlStatement.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>

namespace rivulet {

class ReleasesController;
class RivuletDb;
class SitesController;
class YearsController;
struct SiteRecord;

// Stores one observation load in the tables of a study. The ids of sites, years and releases
// are asked of the controllers once each and kept here, and the two insert statements are
// prepared once, so a row costs one insert. Everything runs on the calling thread's
// connection, inside the transaction the loader holds.
class ObsStudyWriter
{
public:
    enum TagResult
    {
        TagStored,
        TagDuplicate,
        TagFailed
    };

    ObsStudyWriter(RivuletDb& rdb, ReleasesController& releases, SitesController& sites,
                   YearsController& years)
        : m_rdb(rdb), m_releases(releases), m_sites(sites), m_years(years)
    {
    }
    // Gives the connection its own page cache size back.
    ~ObsStudyWriter();
    ObsStudyWriter(const ObsStudyWriter&) = delete;
    ObsStudyWriter& operator=(const ObsStudyWriter&) = delete;

    // Empties the tables of the study held so far (sites, years, releases, tags, observations,
    // and the cohorts, which belong to the old tags) and prepares the insert statements.
    // 0 or the error.
    int start();

    // -1 when the write fails.
    int siteId(const SiteRecord& site);
    int yearId(int calendarYear);
    int releaseId(int siteId, int yearId);

    // Adds the tag; a code already stored by this load is a duplicate.
    TagResult insertTag(const QString& code, int releaseId, const QString& releaseTime);
    // `migrationYearId` is the year the caller knows to bracket `obsTime`, or -1 to leave it
    // to finish(). 0 or the error.
    int insertDetection(const QString& tagCode, int siteId, int migrationYearId,
                        const QString& obsTime, int disposition);

    // Orders sites, years and releases, gives each detection still without one its migration
    // year (the year whose first and last instants bracket it; -1 when none does) and builds
    // the indexes again. 0 or the error.
    int finish();

    int tagCount() const { return m_tags.size(); }
    int detectionCount() const { return m_detectionCount; }
    int siteCount() const { return m_siteIds.size(); }
    int yearCount() const { return m_yearIds.size(); }
    int releaseCount() const { return m_releaseIds.size(); }
    // The database's description of the last failure.
    QString lastError() const { return m_lastError; }

private:
    int clearStudy();
    // Indexes of the two big tables are dropped for the load and built again at its end:
    // building an index once is much cheaper than keeping it up to date row by row.
    int dropIndexes();
    int createIndexes();
    int assignMigrationYears();
    int fail(const QString& text);

    RivuletDb& m_rdb;
    ReleasesController& m_releases;
    SitesController& m_sites;
    YearsController& m_years;
    lum::SqlStatement m_tagInsert;
    lum::SqlStatement m_detectionInsert;
    QHash<const SiteRecord*, int> m_siteIds;
    QHash<int, int> m_yearIds;
    QHash<qint64, int> m_releaseIds;
    QSet<QString> m_tags;
    int m_detectionCount = 0;
    QVariant m_previousCacheSize;
    QString m_lastError;
};

} // namespace rivulet
