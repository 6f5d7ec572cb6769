#include "rivulet/input/ObsStudyWriter.h"

#include "lum/db/DbModel.h"
#include "lum/db/SqliteDb.h"
#include "lum/db/TableData.h"
#include "rivulet/data/DerivedDataStore.h"
#include "rivulet/data/ObservationDbModel.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/input/SitesConfigRecords.h"

#include <QSqlError>

namespace rivulet {

ObsStudyWriter::~ObsStudyWriter()
{
    lum::SqliteDb* db = m_rdb.database();
    bool ok = false;
    const int cacheSize = m_previousCacheSize.toInt(&ok);
    if (db && ok)
        db->exec(QStringLiteral("PRAGMA cache_size = ") + QString::number(cacheSize));
}

int ObsStudyWriter::fail(const QString& text)
{
    m_lastError = text;
    return QSqlError::StatementError;
}

int ObsStudyWriter::start()
{
    lum::SqliteDb* db = m_rdb.database();
    if (!db)
        return fail(QStringLiteral("The database is not open."));
    // A load writes far more pages than SQLite's default cache holds; with a small cache the
    // pages of the detections are written out and read back again and again.
    m_previousCacheSize = lum::TableData(*db, QStringLiteral("PRAGMA cache_size")).value(0, 0);
    db->exec(QStringLiteral("PRAGMA cache_size = -262144"));
    if (const int error = clearStudy())
        return error;
    if (const int error = dropIndexes())
        return error;
    m_tagInsert.setDatabase(*db);
    if (m_tagInsert.prepare(m_rdb.model(RivuletDb::Tags)->insertSql(0)) != 0)
        return fail(m_tagInsert.lastError().text());
    m_detectionInsert.setDatabase(*db);
    if (db->prepareInsert(*m_rdb.model(RivuletDb::Observations), m_detectionInsert) != 0)
        return fail(m_detectionInsert.lastError().text());
    return 0;
}

int ObsStudyWriter::clearStudy()
{
    lum::SqliteDb* db = m_rdb.database();
    for (const int table : {RivuletDb::Observations, RivuletDb::Tags, RivuletDb::Releases,
                            RivuletDb::Years, RivuletDb::Sites, RivuletDb::Cohorts}) {
        if (db->exec(m_rdb.model(table)->deleteSql(QString())) != 0)
            return fail(db->lastError().text());
    }
    // Counts kept from the study being replaced must not outlive it.
    if (DerivedDataStore::forget(*db) != 0)
        return fail(db->lastError().text());
    return 0;
}

namespace {

// The tables whose indexes are rebuilt after a load.
constexpr int indexedTables[] = {RivuletDb::Observations, RivuletDb::Tags};

QString indexName(const lum::DbModel& model, int column)
{
    return QStringLiteral("idx_") + model.tableName() + QLatin1Char('_') + model.columnName(column);
}

} // namespace

int ObsStudyWriter::dropIndexes()
{
    lum::SqliteDb* db = m_rdb.database();
    for (const int table : indexedTables) {
        const lum::DbModel* model = m_rdb.model(table);
        for (const int column : model->indexColumns()) {
            if (db->exec(QStringLiteral("DROP INDEX IF EXISTS ") + indexName(*model, column)) != 0)
                return fail(db->lastError().text());
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
            if (db->createIndex(*model, column) != 0)
                return fail(db->lastError().text());
        }
    }
    return 0;
}

int ObsStudyWriter::siteId(const SiteRecord& site)
{
    const auto found = m_siteIds.constFind(&site);
    if (found != m_siteIds.constEnd())
        return *found;
    const int id = m_sites.siteId(site.name, site.shortName, site.longName);
    if (id == -1)
        fail(m_rdb.database()->lastError().text());
    else
        m_siteIds.insert(&site, id);
    return id;
}

int ObsStudyWriter::yearId(int calendarYear)
{
    const auto found = m_yearIds.constFind(calendarYear);
    if (found != m_yearIds.constEnd())
        return *found;
    const int id = m_years.calendarYearId(calendarYear);
    if (id == -1)
        fail(m_rdb.database()->lastError().text());
    else
        m_yearIds.insert(calendarYear, id);
    return id;
}

int ObsStudyWriter::releaseId(int siteId, int yearId)
{
    const qint64 key = (qint64(siteId) << 32) | quint32(yearId);
    const auto found = m_releaseIds.constFind(key);
    if (found != m_releaseIds.constEnd())
        return *found;
    const int id = m_releases.releaseId(siteId, yearId);
    if (id == -1)
        fail(m_rdb.database()->lastError().text());
    else
        m_releaseIds.insert(key, id);
    return id;
}

ObsStudyWriter::TagResult ObsStudyWriter::insertTag(const QString& code, int releaseId,
                                                    const QString& releaseTime)
{
    // The tables were emptied at the start, so only this load's tags can collide.
    if (m_tags.contains(code))
        return TagDuplicate;
    m_tagInsert.bindValue(0, code);
    m_tagInsert.bindValue(1, releaseId);
    m_tagInsert.bindValue(2, -1);
    m_tagInsert.bindValue(3, releaseTime);
    if (m_tagInsert.step() != lum::SqlStatement::Done) {
        fail(m_tagInsert.lastError().text());
        return TagFailed;
    }
    m_tags.insert(code);
    return TagStored;
}

int ObsStudyWriter::insertDetection(const QString& tagCode, int siteId, int migrationYearId,
                                    const QString& obsTime, int disposition)
{
    m_detectionInsert.bindText(1, tagCode);
    m_detectionInsert.bindInt(2, siteId);
    m_detectionInsert.bindInt(3, migrationYearId);
    m_detectionInsert.bindText(4, obsTime);
    m_detectionInsert.bindInt(5, disposition);
    if (m_detectionInsert.step() != lum::SqlStatement::Done)
        return fail(m_detectionInsert.lastError().text());
    ++m_detectionCount;
    return 0;
}

int ObsStudyWriter::finish()
{
    // Release order follows the order of sites and years, so those come first.
    if (m_sites.orderSites() != 0 || m_years.orderYears() != 0 || m_releases.orderReleases() != 0)
        return fail(m_rdb.database()->lastError().text());
    if (const int error = assignMigrationYears())
        return error;
    return createIndexes();
}

int ObsStudyWriter::assignMigrationYears()
{
    lum::SqliteDb* db = m_rdb.database();
    const lum::DbModel* observations = m_rdb.model(RivuletDb::Observations);
    const QString obsTime = observations->quotedColumnName(ObservationDbModel::ObsTime);
    const QString yearId = observations->quotedColumnName(ObservationDbModel::MigrationYearId);
    lum::SqlStatement update(*db);
    // Detections whose year was known when they were stored already have it.
    if (update.prepare(QStringLiteral("update ") + observations->tableName() +
                       QStringLiteral(" set ") + yearId + QStringLiteral(" = ? where ") + yearId +
                       QStringLiteral(" = -1 and julianday(") + obsTime +
                       QStringLiteral(") >= ? and julianday(") + obsTime +
                       QStringLiteral(") <= ?")) != 0)
        return fail(update.lastError().text());
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
        if (update.step() != lum::SqlStatement::Done)
            return fail(update.lastError().text());
    }
    return 0;
}

} // namespace rivulet
