#include "rivulet/input/ObsStudyWriter.h"

#include "lum/db/DbModel.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/TableData.h"
#include "rivulet/data/DerivedDataStore.h"
#include "rivulet/data/ObservationDbModel.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/sitesconfig/SitesConfigRecords.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace rivulet {

namespace {

// The model's insert statement (key column left out) for `rows` rows.
QString insertRowsSql(const lum::DbModel& model, int rows)
{
    QString sql = model.insertSql();
    const QString values = sql.mid(sql.lastIndexOf(QLatin1Char('(')));
    for (int row = 1; row < rows; ++row)
        sql += QStringLiteral(", ") + values;
    return sql;
}

} // namespace

ObsStudyWriter::ObsStudyWriter(RivuletDb& rdb, ReleasesController& releases, SitesController& sites,
                               YearsController& years)
    : m_rdb(rdb), m_releases(releases), m_sites(sites), m_years(years)
{
}

ObsStudyWriter::~ObsStudyWriter()
{
    lum::SqliteDb* db = m_rdb.database();
    bool ok = false;
    const int cacheSize = m_previousCacheSize.toInt(&ok);
    // Only a hint to SQLite: a connection that keeps the larger cache still works.
    if (db && ok)
        (void)db->exec(QStringLiteral("PRAGMA cache_size = ") + QString::number(cacheSize));
}

lum::Error ObsStudyWriter::storeFailure(const QString& text)
{
    return lum::Error(lum::JobError::Database, text);
}

lum::Error ObsStudyWriter::storeError(const lum::Error& error)
{
    return lum::Error(lum::JobError::Database,
                      QStringLiteral("Unable to store the data: ") + error.text());
}

lum::Expected<void> ObsStudyWriter::start()
{
    if (lum::Expected<void> prepared = prepareStudy(); !prepared)
        return storeError(prepared.error());
    return {};
}

lum::Expected<void> ObsStudyWriter::finish()
{
    if (lum::Expected<void> stored = storeStudy(); !stored)
        return storeError(stored.error());
    return {};
}

lum::Expected<void> ObsStudyWriter::prepareStudy()
{
    lum::SqliteDb* db = m_rdb.database();
    if (!db)
        return storeFailure(QStringLiteral("The database is not open."));
    // A load writes far more pages than SQLite's default cache holds; with a small cache the
    // pages of the detections are written out and read back again and again.
    m_previousCacheSize = lum::TableData(*db, QStringLiteral("PRAGMA cache_size")).value(0, 0);
    (void)db->exec(QStringLiteral("PRAGMA cache_size = -262144"));
    if (lum::Expected<void> done = clearStudy(); !done)
        return done;
    if (lum::Expected<void> done = dropIndexes(); !done)
        return done;
    if (lum::Expected<void> prepared = m_batchInsert.prepare(
            *db, insertRowsSql(*m_rdb.model(RivuletDb::Observations), batchRows));
        !prepared)
        return prepared.error();
    return {};
}

lum::Expected<void> ObsStudyWriter::clearStudy()
{
    lum::SqliteDb* db = m_rdb.database();
    // Counts kept from the study being replaced must not outlive it. The edit watch is off
    // until finish(), so that the tables empty at once.
    if (lum::Expected<void> forgotten = DerivedDataStore::forget(*db); !forgotten)
        return forgotten.error();
    if (lum::Expected<void> unwatched = DerivedDataStore::unwatchEdits(*db); !unwatched)
        return unwatched.error();
    for (const int table : {RivuletDb::Observations, RivuletDb::Tags, RivuletDb::Releases,
                            RivuletDb::Years, RivuletDb::Sites, RivuletDb::Cohorts}) {
        if (lum::Expected<void> emptied = db->exec(m_rdb.model(table)->deleteSql(QString()));
            !emptied)
            return emptied.error();
    }
    return {};
}

namespace {

// The tables whose indexes are rebuilt after a load.
constexpr int indexedTables[] = {RivuletDb::Observations, RivuletDb::Tags};

} // namespace

lum::Expected<void> ObsStudyWriter::dropIndexes()
{
    lum::SqliteDb* db = m_rdb.database();
    for (const int table : indexedTables) {
        // Every index of the table, so that one an older version made is not kept up to date
        // row by row either; those the schema still has are built again at the end.
        lum::TableData indexes(*db,
                               QStringLiteral("select name from sqlite_master where type = "
                                              "'index' and tbl_name = ? and sql is not null"),
                               {m_rdb.model(table)->tableName()});
        if (lum::Expected<void> read = indexes.result(); !read)
            return read.error();
        for (int row = 0; row < indexes.numRows(); ++row) {
            QString name = indexes.stringValue(row, 0);
            name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            if (lum::Expected<void> dropped =
                    db->exec(QStringLiteral("DROP INDEX IF EXISTS \"") + name + QLatin1Char('"'));
                !dropped)
                return dropped.error();
        }
    }
    return {};
}

lum::Expected<void> ObsStudyWriter::createIndexes()
{
    lum::SqliteDb* db = m_rdb.database();
    for (const int table : indexedTables) {
        const lum::DbModel* model = m_rdb.model(table);
        for (const int column : model->indexColumns()) {
            if (lum::Expected<void> created = db->createIndex(*model, column); !created)
                return created.error();
        }
    }
    return {};
}

lum::Expected<int> ObsStudyWriter::siteId(const SiteRecord& site)
{
    const auto found = m_siteIds.constFind(&site);
    if (found != m_siteIds.constEnd())
        return *found;
    const lum::Expected<int> id = m_sites.siteId(site.name, site.shortName, site.longName);
    if (!id)
        return id.error();
    m_siteIds.insert(&site, *id);
    return *id;
}

lum::Expected<int> ObsStudyWriter::yearId(int calendarYear)
{
    const auto found = m_yearIds.constFind(calendarYear);
    if (found != m_yearIds.constEnd())
        return *found;
    const lum::Expected<int> id = m_years.calendarYearId(calendarYear);
    if (!id)
        return id.error();
    m_yearIds.insert(calendarYear, *id);
    return *id;
}

lum::Expected<int> ObsStudyWriter::releaseId(int siteId, int yearId)
{
    const qint64 key = (qint64(siteId) << 32) | quint32(yearId);
    const auto found = m_releaseIds.constFind(key);
    if (found != m_releaseIds.constEnd())
        return *found;
    const lum::Expected<int> id = m_releases.releaseId(siteId, yearId);
    if (!id)
        return id.error();
    m_releaseIds.insert(key, *id);
    return *id;
}

std::string_view ObsStudyWriter::codeOf(std::size_t tag) const
{
    const PendingTag& pending = m_tags[tag];
    return std::string_view(m_tagText).substr(pending.offset, pending.codeSize);
}

std::string_view ObsStudyWriter::releaseTimeOf(std::size_t tag) const
{
    const PendingTag& pending = m_tags[tag];
    return std::string_view(m_tagText).substr(pending.offset + pending.codeSize, pending.timeSize);
}

bool ObsStudyWriter::addLastCode()
{
    constexpr std::uint64_t upperHalf = 0xFFFFFFFF00000000ULL;
    const auto hashOf = [this](std::size_t tag) -> std::uint64_t {
        return std::hash<std::string_view>()(codeOf(tag));
    };
    // Kept at most half full.
    if (m_tags.size() * 2 > m_codeSlots.size()) {
        std::vector<std::uint64_t> grown(std::max<std::size_t>(1024, m_codeSlots.size() * 2), 0);
        const std::size_t mask = grown.size() - 1;
        for (const std::uint64_t slot : m_codeSlots) {
            if (slot == 0)
                continue;
            std::size_t i = hashOf((slot & ~upperHalf) - 1) & mask;
            while (grown[i] != 0)
                i = (i + 1) & mask;
            grown[i] = slot;
        }
        m_codeSlots.swap(grown);
    }
    const std::size_t tag = m_tags.size() - 1;
    const std::uint64_t hash = hashOf(tag);
    const std::size_t mask = m_codeSlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = m_codeSlots[i];
        if (slot == 0) {
            m_codeSlots[i] = (hash & upperHalf) | (tag + 1);
            return true;
        }
        if ((slot & upperHalf) == (hash & upperHalf) &&
            codeOf((slot & ~upperHalf) - 1) == codeOf(tag))
            return false;
    }
}

lum::Expected<ObsStudyWriter::TagResult> ObsStudyWriter::addTag(std::string_view code,
                                                                const SiteRecord& releaseSite,
                                                                int releaseYear,
                                                                std::string_view releaseTime)
{
    const lum::Expected<int> site = siteId(releaseSite);
    if (!site)
        return site.error();
    const lum::Expected<int> year = yearId(releaseYear);
    if (!year)
        return year.error();
    const lum::Expected<int> release = releaseId(*site, *year);
    if (!release)
        return release.error();
    return insertTag(code, *release, releaseTime);
}

lum::Expected<void> ObsStudyWriter::addDetection(std::string_view tagCode, const SiteRecord& site,
                                                 int year, std::string_view obsTime,
                                                 int disposition)
{
    const lum::Expected<int> storedSite = siteId(site);
    if (!storedSite)
        return storedSite.error();
    const lum::Expected<int> storedYear = yearId(year);
    if (!storedYear)
        return storedYear.error();
    return insertDetection(tagCode, *storedSite, *storedYear, obsTime, disposition);
}

lum::Expected<ObsStudyWriter::TagResult>
ObsStudyWriter::insertTag(std::string_view code, int releaseId, std::string_view releaseTime)
{
    constexpr std::size_t maxField = std::numeric_limits<std::uint16_t>::max();
    if (code.size() > maxField || releaseTime.size() > maxField ||
        m_tagText.size() + code.size() + releaseTime.size() >
            std::numeric_limits<std::uint32_t>::max()) {
        return lum::Error(lum::JobError::Failed,
                          QStringLiteral("The tags of the file do not fit in memory."));
    }
    m_tags.push_back({static_cast<std::uint32_t>(m_tagText.size()),
                      static_cast<std::uint16_t>(code.size()),
                      static_cast<std::uint16_t>(releaseTime.size()), releaseId});
    m_tagText.append(code);
    m_tagText.append(releaseTime);
    // The tables were emptied at the start, so only this load's tags can collide.
    if (!addLastCode()) {
        m_tagText.resize(m_tags.back().offset);
        m_tags.pop_back();
        return TagDuplicate;
    }
    return TagStored;
}

lum::Expected<void> ObsStudyWriter::insertDetection(std::string_view tagCode, int siteId,
                                                    int migrationYearId, std::string_view obsTime,
                                                    int disposition)
{
    PendingDetection& pending = m_pending[m_pendingCount++];
    pending.tagCode.assign(tagCode);
    pending.obsTime.assign(obsTime);
    pending.siteId = siteId;
    pending.migrationYearId = migrationYearId;
    pending.disposition = disposition;
    ++m_detectionCount;
    if (migrationYearId == -1)
        ++m_undatedCount;
    if (m_pendingCount == batchRows)
        return insertPending(m_batchInsert, batchRows);
    return {};
}

lum::Expected<void> ObsStudyWriter::insertPending(lum::NativeStatement& insert, int count)
{
    for (int row = 0; row < count; ++row) {
        const PendingDetection& pending = m_pending[row];
        const int first = row * 5;
        insert.bindText(first + 1, pending.tagCode.data(),
                        static_cast<int>(pending.tagCode.size()));
        insert.bindInt(first + 2, pending.siteId);
        insert.bindInt(first + 3, pending.migrationYearId);
        insert.bindText(first + 4, pending.obsTime.data(),
                        static_cast<int>(pending.obsTime.size()));
        insert.bindInt(first + 5, pending.disposition);
    }
    m_pendingCount = 0;
    if (insert.step() != lum::NativeStatement::Done)
        return storeFailure(insert.errorText());
    return {};
}

lum::Expected<void> ObsStudyWriter::storeTags()
{
    lum::NativeStatement insert;
    if (lum::Expected<void> prepared =
            insert.prepare(*m_rdb.database(), m_rdb.model(RivuletDb::Tags)->insertSql(0));
        !prepared)
        return prepared.error();
    std::vector<std::size_t> order(m_tags.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    // Byte order of UTF-8 is the order of SQLite's text key.
    std::sort(order.begin(), order.end(),
              [this](std::size_t a, std::size_t b) { return codeOf(a) < codeOf(b); });
    for (const std::size_t tag : order) {
        const std::string_view code = codeOf(tag);
        const std::string_view releaseTime = releaseTimeOf(tag);
        insert.bindText(1, code.data(), static_cast<int>(code.size()));
        insert.bindInt(2, m_tags[tag].releaseId);
        insert.bindInt(3, -1);
        insert.bindText(4, releaseTime.data(), static_cast<int>(releaseTime.size()));
        if (insert.step() != lum::NativeStatement::Done)
            return storeFailure(insert.errorText());
    }
    return {};
}

lum::Expected<void> ObsStudyWriter::storeStudy()
{
    if (m_pendingCount > 0) {
        lum::NativeStatement insert;
        if (lum::Expected<void> prepared = insert.prepare(
                *m_rdb.database(),
                insertRowsSql(*m_rdb.model(RivuletDb::Observations), m_pendingCount));
            !prepared)
            return prepared.error();
        if (lum::Expected<void> done = insertPending(insert, m_pendingCount); !done)
            return done;
    }
    if (lum::Expected<void> done = storeTags(); !done)
        return done;
    // Release order follows the order of sites and years, so those come first.
    if (lum::Expected<void> ordered = m_sites.orderSites(); !ordered)
        return ordered.error();
    if (lum::Expected<void> ordered = m_years.orderYears(); !ordered)
        return ordered.error();
    if (lum::Expected<void> ordered = m_releases.orderReleases(); !ordered)
        return ordered.error();
    if (lum::Expected<void> done = assignMigrationYears(); !done)
        return done;
    if (lum::Expected<void> done = createIndexes(); !done)
        return done;
    if (const lum::Expected<void> watched = m_rdb.watchEdits(); !watched)
        return watched.error();
    return {};
}

lum::Expected<void> ObsStudyWriter::assignMigrationYears()
{
    // Each year is a pass over every detection: none when all have their year.
    if (m_undatedCount == 0)
        return {};
    lum::SqliteDb* db = m_rdb.database();
    const lum::DbModel* observations = m_rdb.model(RivuletDb::Observations);
    const QString obsTime = observations->quotedColumnName(ObservationDbModel::ObsTime);
    const QString yearId = observations->quotedColumnName(ObservationDbModel::MigrationYearId);
    lum::SqlStatement update(*db);
    // Detections whose year was known when they were stored already have it.
    if (lum::Expected<void> prepared = update.prepare(
            QStringLiteral("update ") + observations->tableName() + QStringLiteral(" set ") +
            yearId + QStringLiteral(" = ? where ") + yearId +
            QStringLiteral(" = -1 and julianday(") + obsTime +
            QStringLiteral(") >= ? and julianday(") + obsTime + QStringLiteral(") <= ?"));
        !prepared)
        return prepared.error();
    YearsController years(m_rdb);
    years.refresh();
    const QList<int> ids = years.ids();
    const QList<double> begins = years.beginDays();
    const QList<double> ends = years.endDays();
    for (int y = 0; y < ids.size(); ++y) {
        // Bound as doubles, so the day numbers keep their full precision.
        update.bindValue(0, ids.at(y));
        update.bindValue(1, begins.at(y));
        update.bindValue(2, ends.at(y));
        if (lum::Expected<void> stepped = update.step(); !stepped)
            return stepped.error();
    }
    return {};
}

} // namespace rivulet
