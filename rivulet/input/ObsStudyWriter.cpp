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

#include <QSqlError>

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

int ObsStudyWriter::fail(const QString& text)
{
    m_lastError = text;
    return QSqlError::StatementError;
}

lum::Error ObsStudyWriter::storeError() const
{
    return lum::Error(lum::JobError::Database,
                      QStringLiteral("Unable to store the data: ") + m_lastError);
}

lum::Expected<void> ObsStudyWriter::start()
{
    if (prepareStudy() != 0)
        return storeError();
    return {};
}

lum::Expected<void> ObsStudyWriter::finish()
{
    if (storeStudy() != 0)
        return storeError();
    return {};
}

int ObsStudyWriter::prepareStudy()
{
    lum::SqliteDb* db = m_rdb.database();
    if (!db)
        return fail(QStringLiteral("The database is not open."));
    // A load writes far more pages than SQLite's default cache holds; with a small cache the
    // pages of the detections are written out and read back again and again.
    m_previousCacheSize = lum::TableData(*db, QStringLiteral("PRAGMA cache_size")).value(0, 0);
    (void)db->exec(QStringLiteral("PRAGMA cache_size = -262144"));
    if (const int error = clearStudy())
        return error;
    if (const int error = dropIndexes())
        return error;
    if (lum::Expected<void> prepared = m_batchInsert.prepare(
            *db, insertRowsSql(*m_rdb.model(RivuletDb::Observations), batchRows));
        !prepared)
        return fail(prepared.error());
    return 0;
}

int ObsStudyWriter::clearStudy()
{
    lum::SqliteDb* db = m_rdb.database();
    // Counts kept from the study being replaced must not outlive it. The edit watch is off
    // until finish(), so that the tables empty at once.
    if (lum::Expected<void> forgotten = DerivedDataStore::forget(*db); !forgotten)
        return fail(forgotten.error());
    if (lum::Expected<void> unwatched = DerivedDataStore::unwatchEdits(*db); !unwatched)
        return fail(unwatched.error());
    for (const int table : {RivuletDb::Observations, RivuletDb::Tags, RivuletDb::Releases,
                            RivuletDb::Years, RivuletDb::Sites, RivuletDb::Cohorts}) {
        if (lum::Expected<void> emptied = db->exec(m_rdb.model(table)->deleteSql(QString()));
            !emptied)
            return fail(emptied.error());
    }
    return 0;
}

namespace {

// The tables whose indexes are rebuilt after a load.
constexpr int indexedTables[] = {RivuletDb::Observations, RivuletDb::Tags};

} // namespace

int ObsStudyWriter::dropIndexes()
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
            return fail(read.error());
        for (int row = 0; row < indexes.numRows(); ++row) {
            QString name = indexes.stringValue(row, 0);
            name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            if (lum::Expected<void> dropped =
                    db->exec(QStringLiteral("DROP INDEX IF EXISTS \"") + name + QLatin1Char('"'));
                !dropped)
                return fail(dropped.error());
        }
    }
    return 0;
}

int ObsStudyWriter::createIndexes()
{
    lum::SqliteDb* db = m_rdb.database();
    for (const int table : indexedTables) {
        const lum::DbModel* model = m_rdb.model(table);
        for (const int column : model->indexColumns()) {
            if (lum::Expected<void> created = db->createIndex(*model, column); !created)
                return fail(created.error());
        }
    }
    return 0;
}

int ObsStudyWriter::siteId(const SiteRecord& site)
{
    const auto found = m_siteIds.constFind(&site);
    if (found != m_siteIds.constEnd())
        return *found;
    const lum::Expected<int> id = m_sites.siteId(site.name, site.shortName, site.longName);
    if (!id) {
        fail(id.error());
        return -1;
    }
    m_siteIds.insert(&site, *id);
    return *id;
}

int ObsStudyWriter::yearId(int calendarYear)
{
    const auto found = m_yearIds.constFind(calendarYear);
    if (found != m_yearIds.constEnd())
        return *found;
    const lum::Expected<int> id = m_years.calendarYearId(calendarYear);
    if (!id) {
        fail(id.error());
        return -1;
    }
    m_yearIds.insert(calendarYear, *id);
    return *id;
}

int ObsStudyWriter::releaseId(int siteId, int yearId)
{
    const qint64 key = (qint64(siteId) << 32) | quint32(yearId);
    const auto found = m_releaseIds.constFind(key);
    if (found != m_releaseIds.constEnd())
        return *found;
    const lum::Expected<int> id = m_releases.releaseId(siteId, yearId);
    if (!id) {
        fail(id.error());
        return -1;
    }
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
    const int site = siteId(releaseSite);
    const int year = site == -1 ? -1 : yearId(releaseYear);
    const int release = year == -1 ? -1 : releaseId(site, year);
    if (release == -1)
        return lum::Error(lum::JobError::Database, m_lastError);
    return insertTag(code, release, releaseTime);
}

lum::Expected<void> ObsStudyWriter::addDetection(std::string_view tagCode, const SiteRecord& site,
                                                 int year, std::string_view obsTime,
                                                 int disposition)
{
    const int storedSite = siteId(site);
    const int storedYear = storedSite == -1 ? -1 : yearId(year);
    if (storedYear == -1 ||
        insertDetection(tagCode, storedSite, storedYear, obsTime, disposition) != 0)
        return lum::Error(lum::JobError::Database, m_lastError);
    return {};
}

lum::Expected<ObsStudyWriter::TagResult>
ObsStudyWriter::insertTag(std::string_view code, int releaseId, std::string_view releaseTime)
{
    constexpr std::size_t maxField = std::numeric_limits<std::uint16_t>::max();
    if (code.size() > maxField || releaseTime.size() > maxField ||
        m_tagText.size() + code.size() + releaseTime.size() >
            std::numeric_limits<std::uint32_t>::max()) {
        fail(QStringLiteral("The tags of the file do not fit in memory."));
        return lum::Error(lum::JobError::Failed, m_lastError);
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

int ObsStudyWriter::insertDetection(std::string_view tagCode, int siteId, int migrationYearId,
                                    std::string_view obsTime, int disposition)
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
    return m_pendingCount == batchRows ? insertPending(m_batchInsert, batchRows) : 0;
}

int ObsStudyWriter::insertPending(lum::NativeStatement& insert, int count)
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
        return fail(insert.errorText());
    return 0;
}

int ObsStudyWriter::storeTags()
{
    lum::NativeStatement insert;
    if (lum::Expected<void> prepared =
            insert.prepare(*m_rdb.database(), m_rdb.model(RivuletDb::Tags)->insertSql(0));
        !prepared)
        return fail(prepared.error());
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
            return fail(insert.errorText());
    }
    return 0;
}

int ObsStudyWriter::storeStudy()
{
    if (m_pendingCount > 0) {
        lum::NativeStatement insert;
        if (lum::Expected<void> prepared = insert.prepare(
                *m_rdb.database(),
                insertRowsSql(*m_rdb.model(RivuletDb::Observations), m_pendingCount));
            !prepared)
            return fail(prepared.error());
        if (const int error = insertPending(insert, m_pendingCount))
            return error;
    }
    if (const int error = storeTags())
        return error;
    // Release order follows the order of sites and years, so those come first.
    if (lum::Expected<void> ordered = m_sites.orderSites(); !ordered)
        return fail(ordered.error());
    if (lum::Expected<void> ordered = m_years.orderYears(); !ordered)
        return fail(ordered.error());
    if (lum::Expected<void> ordered = m_releases.orderReleases(); !ordered)
        return fail(ordered.error());
    if (const int error = assignMigrationYears())
        return error;
    if (const int error = createIndexes())
        return error;
    if (const lum::Expected<void> watched = m_rdb.watchEdits(); !watched)
        return fail(watched.error().text());
    return 0;
}

int ObsStudyWriter::assignMigrationYears()
{
    // Each year is a pass over every detection: none when all have their year.
    if (m_undatedCount == 0)
        return 0;
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
        return fail(prepared.error());
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
            return fail(stepped.error());
    }
    return 0;
}

} // namespace rivulet
