#pragma once

#include "lum/core/Expected.h"
#include "lum/db/NativeStatement.h"
#include "rivulet/input/ObsRecordSink.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rivulet {

class ReleasesController;
class RivuletDb;
class SitesController;
class YearsController;
struct SiteRecord;

// Stores one observation load in the tables of a study. The ids of sites, years and releases
// are asked of the controllers once each and kept here, and the insert statements are
// prepared once, so a detection costs one insert. Tags are kept until finish() and stored in
// the order of their code, which is their key: appended to the end of the key's b-tree instead
// of scattered through it. Everything runs on the calling thread's connection, inside the
// transaction the loader holds.
class ObsStudyWriter : public ObsRecordSink
{
public:
    ObsStudyWriter(RivuletDb& rdb, ReleasesController& releases, SitesController& sites,
                   YearsController& years);
    // Gives the connection its own page cache size back.
    ~ObsStudyWriter() override;
    ObsStudyWriter(const ObsStudyWriter&) = delete;
    ObsStudyWriter& operator=(const ObsStudyWriter&) = delete;

    // Empties the tables of the study held so far (sites, years, releases, tags, observations,
    // and the cohorts, which belong to the old tags) and prepares the insert statements.
    // Failures are database errors: "Unable to store the data: " and the database's reason.
    lum::Expected<void> start();

    // The database's error when the write fails.
    lum::Expected<int> siteId(const SiteRecord& site);
    lum::Expected<int> yearId(int calendarYear);
    lum::Expected<int> releaseId(int siteId, int yearId);

    // The sink of an export's reader: the ids of the site, year and release asked for as above.
    lum::Expected<TagResult> addTag(std::string_view code, const SiteRecord& releaseSite,
                                    int releaseYear, std::string_view releaseTime) override;
    lum::Expected<void> addDetection(std::string_view tagCode, const SiteRecord& site, int year,
                                     std::string_view obsTime, int disposition) override;

    // Adds the tag (texts in UTF-8); a code already added by this load is a duplicate.
    lum::Expected<TagResult> insertTag(std::string_view code, int releaseId,
                                       std::string_view releaseTime);
    // `migrationYearId` is the year the caller knows to bracket `obsTime`, or -1 to leave it
    // to finish(). The error of this or of an earlier detection still waiting to be stored
    // with it.
    lum::Expected<void> insertDetection(std::string_view tagCode, int siteId, int migrationYearId,
                                        std::string_view obsTime, int disposition);

    // Stores the tags, orders sites, years and releases, gives each detection still without
    // one its migration year (the year whose first and last instants bracket it; -1 when none
    // does) and builds the indexes again. Failures as for start().
    lum::Expected<void> finish();

    int tagCount() const { return static_cast<int>(m_tags.size()); }
    int detectionCount() const { return m_detectionCount; }
    int siteCount() const { return m_siteIds.size(); }
    int yearCount() const { return m_yearIds.size(); }
    int releaseCount() const { return m_releaseIds.size(); }

private:
    lum::Expected<void> prepareStudy();
    lum::Expected<void> storeStudy();
    // A failure as start() and finish() return it.
    static lum::Error storeError(const lum::Error& error);
    // A failure of the database told in its own words.
    static lum::Error storeFailure(const QString& text);
    lum::Expected<void> clearStudy();
    // Indexes of the two big tables are dropped for the load and built again at its end:
    // building an index once is much cheaper than keeping it up to date row by row.
    lum::Expected<void> dropIndexes();
    lum::Expected<void> createIndexes();
    lum::Expected<void> storeTags();
    lum::Expected<void> assignMigrationYears();

    // A tag waiting for finish(): its code and release time lie in m_tagText.
    struct PendingTag
    {
        std::uint32_t offset;
        std::uint16_t codeSize;
        std::uint16_t timeSize;
        int releaseId;
    };
    std::string_view codeOf(std::size_t tag) const;
    std::string_view releaseTimeOf(std::size_t tag) const;
    // Adds the last tag of m_tags to m_codeSlots; false when its code is there already.
    bool addLastCode();

    RivuletDb& m_rdb;
    ReleasesController& m_releases;
    SitesController& m_sites;
    YearsController& m_years;
    // Detections are inserted a batch at a time: one run of a statement costs far more than
    // binding a row, so a statement of many rows costs much less per row.
    static constexpr int batchRows = 64;
    struct PendingDetection
    {
        std::string tagCode;
        std::string obsTime;
        int siteId = 0;
        int migrationYearId = 0;
        int disposition = 0;
    };
    // Inserts the first `count` pending detections with `insert` (a statement of that many
    // rows).
    lum::Expected<void> insertPending(lum::NativeStatement& insert, int count);
    lum::NativeStatement m_batchInsert;
    PendingDetection m_pending[batchRows];
    int m_pendingCount = 0;
    QHash<const SiteRecord*, int> m_siteIds;
    QHash<int, int> m_yearIds;
    QHash<qint64, int> m_releaseIds;
    std::string m_tagText;
    std::vector<PendingTag> m_tags;
    // The tags told apart by code, an open-addressing table: each slot holds the upper half
    // of the code's hash and the tag's index + 1 (0 for an empty slot). A node-based set costs
    // an allocation and a cache miss per tag.
    std::vector<std::uint64_t> m_codeSlots;
    int m_detectionCount = 0;
    int m_undatedCount = 0; // detections stored without their migration year
    QVariant m_previousCacheSize;
};

} // namespace rivulet
