#include "rivulet/data/DetectionSequenceController.h"

#include "rivulet/data/CohortDbModel.h"
#include "rivulet/data/CohortsController.h"
#include "rivulet/data/DetectionSequenceWalker.h"
#include "rivulet/data/ObservationDbModel.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SiteDbModel.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/TagDbModel.h"
#include "rivulet/data/YearDbModel.h"

#include "lum/db/NativeStatement.h"

#include <QSqlError>

#include <cstring>

namespace rivulet {

namespace {

// Columns of the history statement.
enum Field
{
    TagField = 0,
    ReleaseField,
    SiteField,
    YearField,
    DispositionField
};

const QList<int> noEntries;
const QStringList noTags;

} // namespace

DetectionSequenceController::DetectionSequenceController(const ReleasesControllerI& releases,
                                                         const SitesControllerI& sites,
                                                         RivuletDb& rdb)
    : releases_(releases), sites_(sites), rdb_(rdb)
{
}

DetectionSequenceController::~DetectionSequenceController() = default;

QString DetectionSequenceController::statement(const RivuletDb& rdb, bool cohortFilter)
{
    const lum::DbModel& tags = *rdb.model(RivuletDb::Tags);
    const lum::DbModel& observations = *rdb.model(RivuletDb::Observations);
    const lum::DbModel& sites = *rdb.model(RivuletDb::Sites);
    const lum::DbModel& years = *rdb.model(RivuletDb::Years);
    const lum::DbModel& cohorts = *rdb.model(RivuletDb::Cohorts);

    // One pass over the tags in key order, each tag's detections looked up through the index
    // on their tag: nothing is materialised or sorted but the few rows of one tag. A tag
    // whose detections all lie at inactive sites or in inactive years keeps one row (left
    // join) with empty detection fields.
    const QString observationSite = observations.qualifiedColumnName(ObservationDbModel::SiteId);
    const QString observationYear =
        observations.qualifiedColumnName(ObservationDbModel::MigrationYearId);
    const QString siteId = sites.qualifiedColumnName(SiteDbModel::Id);
    const QString yearId = years.qualifiedColumnName(YearDbModel::Id);
    QString sql =
        QStringLiteral("select ") + tags.qualifiedColumnName(TagDbModel::Id) +
        QStringLiteral(", ") + tags.qualifiedColumnName(TagDbModel::ReleaseId) +
        QStringLiteral(", ") + sites.qualifiedColumnName(SiteDbModel::ActiveSequence) +
        QStringLiteral(", ") + years.qualifiedColumnName(YearDbModel::ActiveSequence) +
        QStringLiteral(", ") + observations.qualifiedColumnName(ObservationDbModel::Disposition) +
        QStringLiteral(" from ") + tags.tableName() + QStringLiteral(" left join ") +
        observations.tableName() + QStringLiteral(" on ") +
        observations.qualifiedColumnName(ObservationDbModel::TagId) + QStringLiteral(" = ") +
        tags.qualifiedColumnName(TagDbModel::Id) + QStringLiteral(" and ") + observationSite +
        QStringLiteral(" in (select ") + siteId + QStringLiteral(" from ") + sites.tableName() +
        QStringLiteral(" where ") + sites.qualifiedColumnName(SiteDbModel::ActiveSequence) +
        QStringLiteral(" > -1) and ") + observationYear + QStringLiteral(" in (select ") + yearId +
        QStringLiteral(" from ") + years.tableName() + QStringLiteral(" where ") +
        years.qualifiedColumnName(YearDbModel::ActiveSequence) +
        QStringLiteral(" > -1) left join ") + sites.tableName() + QStringLiteral(" on ") + siteId +
        QStringLiteral(" = ") + observationSite + QStringLiteral(" left join ") +
        years.tableName() + QStringLiteral(" on ") + yearId + QStringLiteral(" = ") +
        observationYear;
    if (cohortFilter) {
        sql += QStringLiteral(" join ") + cohorts.tableName() + QStringLiteral(" on ") +
               tags.qualifiedColumnName(TagDbModel::CohortId) + QStringLiteral(" = ") +
               cohorts.qualifiedColumnName(CohortDbModel::Id) + QStringLiteral(" where ") +
               cohorts.qualifiedColumnName(CohortDbModel::Id) + QStringLiteral(" = ?");
    }
    sql += QStringLiteral(" order by ") + tags.qualifiedColumnName(TagDbModel::Id) +
           QStringLiteral(", ") + sites.qualifiedColumnName(SiteDbModel::Sequence) +
           QStringLiteral(", ") + years.qualifiedColumnName(YearDbModel::Sequence);
    return sql;
}

int DetectionSequenceController::update()
{
    const QList<int> ids = releases_.ids();
    sequences_.assign(static_cast<std::size_t>(ids.size()), DetectionSequence());
    positions_.clear();
    for (int i = 0; i < ids.size(); ++i)
        positions_.insert(ids.at(i), i);
    lastError_.clear();
    if (ids.isEmpty())
        return 0;

    const int cohortId = CohortsController(rdb_).activeCohortId();
    const int error = readRows(cohortId);
    if (error != 0)
        sequences_.assign(sequences_.size(), DetectionSequence());
    return error;
}

int DetectionSequenceController::readRows(int cohortId)
{
    const lum::SqliteDb* db = rdb_.database();
    if (db == nullptr || !db->isOpen()) {
        lastError_ = QStringLiteral("The database is not open.");
        return QSqlError::ConnectionError;
    }
    const bool cohortFilter = cohortId >= 0;
    // A million rows: read straight from SQLite, and the tag's text made once per tag.
    lum::NativeStatement query;
    if (query.prepare(*db, statement(rdb_, cohortFilter)) != 0) {
        lastError_ = query.errorText();
        return QSqlError::StatementError;
    }
    if (cohortFilter)
        query.bindInt(1, cohortId);

    DetectionSequenceWalker walker(sites_.count() - 1);
    QByteArray tagBytes;
    QString tag;
    DetectionSequence* target = nullptr; // the current tag's release; null when not active
    while (query.next()) {
        int size = 0;
        const char* rowTag = query.columnText(TagField, &size);
        if (size != tagBytes.size() || std::memcmp(rowTag, tagBytes.constData(), size) != 0) {
            tagBytes = QByteArray(rowTag, size);
            tag = QString::fromUtf8(tagBytes);
            const int index = positions_.value(query.columnInt(ReleaseField), -1);
            target = index < 0 ? nullptr : &sequences_[static_cast<std::size_t>(index)];
        }
        if (target == nullptr)
            continue;
        walker.addRow(tag, !query.isNull(SiteField), query.columnInt(SiteField),
                      query.columnInt(YearField), query.columnInt(DispositionField), *target);
    }
    if (!query.failed())
        return 0;
    lastError_ = query.errorText();
    return QSqlError::StatementError;
}

const DetectionSequence* DetectionSequenceController::sequenceOf(int releaseId) const
{
    const int index = positions_.value(releaseId, -1);
    return index < 0 ? nullptr : &sequences_[static_cast<std::size_t>(index)];
}

QStringList DetectionSequenceController::tagIds(int releaseId) const
{
    const DetectionSequence* sequence = sequenceOf(releaseId);
    return sequence ? sequence->tagIds : noTags;
}

QList<int> DetectionSequenceController::sites(int releaseId) const
{
    const DetectionSequence* sequence = sequenceOf(releaseId);
    return sequence ? sequence->sites : noEntries;
}

QList<int> DetectionSequenceController::years(int releaseId) const
{
    const DetectionSequence* sequence = sequenceOf(releaseId);
    return sequence ? sequence->years : noEntries;
}

QList<int> DetectionSequenceController::dispositions(int releaseId) const
{
    const DetectionSequence* sequence = sequenceOf(releaseId);
    return sequence ? sequence->dispositions : noEntries;
}

int DetectionSequenceController::entryCount() const
{
    int count = 0;
    for (const DetectionSequence& sequence : sequences_)
        count += sequence.size();
    return count;
}

} // namespace rivulet
