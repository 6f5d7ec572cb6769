#include "rivulet/data/DetectionHistoryReader.h"

#include "lum/db/DbModel.h"
#include "lum/db/NativeStatement.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/CohortDbModel.h"
#include "rivulet/data/ObservationDbModel.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SiteDbModel.h"
#include "rivulet/data/TagDbModel.h"
#include "rivulet/data/YearDbModel.h"

#include <QHash>
#include <QSqlError>

#include <algorithm>

namespace rivulet {

namespace {

struct Position
{
    int order;
    int active; // -1 when left out
};

// Sequence and active sequence of every row of the sites or the years table, by id.
bool readPositions(const lum::SqliteDb& db, const lum::DbModel& model, int sequence,
                   int activeSequence, QHash<int, Position>& positions, QString& error)
{
    lum::NativeStatement query;
    if (query.prepare(db, QStringLiteral("select ") + model.quotedColumnName(0) +
                              QStringLiteral(", ") + model.quotedColumnName(sequence) +
                              QStringLiteral(", ") + model.quotedColumnName(activeSequence) +
                              QStringLiteral(" from ") + model.tableName()) != 0) {
        error = query.errorText();
        return false;
    }
    while (query.next())
        positions.insert(query.columnInt(0), Position{query.columnInt(1), query.columnInt(2)});
    if (query.failed())
        error = query.errorText();
    return !query.failed();
}

} // namespace

std::string_view DetectionHistoryReader::tagOf(const Run& run) const
{
    return std::string_view(tagText_).substr(run.textOffset, run.textSize);
}

int DetectionHistoryReader::read(int cohortId, const Visit& visit)
{
    lastError_.clear();
    tagText_.clear();
    runs_.clear();
    rows_.clear();
    const lum::SqliteDb* db = rdb_.database();
    if (db == nullptr || !db->isOpen()) {
        lastError_ = QStringLiteral("The database is not open.");
        return QSqlError::ConnectionError;
    }
    if (const int error = readDetections())
        return error;
    return visitTags(cohortId, visit);
}

int DetectionHistoryReader::readDetections()
{
    const lum::SqliteDb& db = *rdb_.database();
    QHash<int, Position> sites;
    QHash<int, Position> years;
    if (!readPositions(db, *rdb_.model(RivuletDb::Sites), SiteDbModel::Sequence,
                       SiteDbModel::ActiveSequence, sites, lastError_) ||
        !readPositions(db, *rdb_.model(RivuletDb::Years), YearDbModel::Sequence,
                       YearDbModel::ActiveSequence, years, lastError_))
        return QSqlError::StatementError;

    const lum::DbModel& observations = *rdb_.model(RivuletDb::Observations);
    lum::NativeStatement query;
    if (query.prepare(
            db,
            QStringLiteral("select ") + observations.quotedColumnName(ObservationDbModel::TagId) +
                QStringLiteral(", ") + observations.quotedColumnName(ObservationDbModel::SiteId) +
                QStringLiteral(", ") +
                observations.quotedColumnName(ObservationDbModel::MigrationYearId) +
                QStringLiteral(", ") +
                observations.quotedColumnName(ObservationDbModel::Disposition) +
                QStringLiteral(" from ") + observations.tableName() + QStringLiteral(" order by ") +
                observations.quotedColumnName(ObservationDbModel::Id)) != 0) {
        lastError_ = query.errorText();
        return QSqlError::StatementError;
    }
    // The last site and year looked up: consecutive detections mostly share them.
    int siteId = 0;
    int yearId = 0;
    Position site{0, -1};
    Position year{0, -1};
    bool known = false;
    while (query.next()) {
        if (query.isNull(1) || query.isNull(2))
            continue;
        if (!known || query.columnInt(1) != siteId || query.columnInt(2) != yearId) {
            siteId = query.columnInt(1);
            yearId = query.columnInt(2);
            site = sites.value(siteId, Position{0, -1});
            year = years.value(yearId, Position{0, -1});
            known = true;
        }
        if (site.active < 0 || year.active < 0)
            continue;
        int size = 0;
        const char* tag = query.columnText(0, &size);
        const std::string_view text(tag, static_cast<std::size_t>(size));
        if (runs_.empty() || tagOf(runs_.back()) != text) {
            runs_.push_back(Run{tagText_.size(), text.size(), rows_.size(), 0});
            tagText_.append(text);
        }
        rows_.push_back(Row{site.active, year.active, query.columnInt(3), site.order, year.order});
        ++runs_.back().rowCount;
    }
    if (query.failed()) {
        lastError_ = query.errorText();
        return QSqlError::StatementError;
    }
    // By tag code in the byte order of SQLite's text key, the runs of one tag in storage order.
    std::sort(runs_.begin(), runs_.end(), [this](const Run& a, const Run& b) {
        const int order = tagOf(a).compare(tagOf(b));
        return order != 0 ? order < 0 : a.firstRow < b.firstRow;
    });
    return 0;
}

int DetectionHistoryReader::visitTags(int cohortId, const Visit& visit)
{
    const lum::SqliteDb& db = *rdb_.database();
    const lum::DbModel& tags = *rdb_.model(RivuletDb::Tags);
    const lum::DbModel& cohorts = *rdb_.model(RivuletDb::Cohorts);
    QString sql = QStringLiteral("select ") + tags.qualifiedColumnName(TagDbModel::Id) +
                  QStringLiteral(", ") + tags.qualifiedColumnName(TagDbModel::ReleaseId) +
                  QStringLiteral(" from ") + tags.tableName();
    if (cohortId >= 0) {
        sql += QStringLiteral(" join ") + cohorts.tableName() + QStringLiteral(" on ") +
               tags.qualifiedColumnName(TagDbModel::CohortId) + QStringLiteral(" = ") +
               cohorts.qualifiedColumnName(CohortDbModel::Id) + QStringLiteral(" where ") +
               cohorts.qualifiedColumnName(CohortDbModel::Id) + QStringLiteral(" = ?");
    }
    sql += QStringLiteral(" order by ") + tags.qualifiedColumnName(TagDbModel::Id);
    lum::NativeStatement query;
    if (query.prepare(db, sql) != 0) {
        lastError_ = query.errorText();
        return QSqlError::StatementError;
    }
    if (cohortId >= 0)
        query.bindInt(1, cohortId);

    std::vector<Row> rows;
    auto run = runs_.cbegin();
    while (query.next()) {
        int size = 0;
        const char* text = query.columnText(0, &size);
        const std::string_view tag(text, static_cast<std::size_t>(size));
        while (run != runs_.cend() && tagOf(*run) < tag)
            ++run;
        rows.clear();
        for (; run != runs_.cend() && tagOf(*run) == tag; ++run)
            rows.insert(rows.end(), rows_.cbegin() + static_cast<std::ptrdiff_t>(run->firstRow),
                        rows_.cbegin() +
                            static_cast<std::ptrdiff_t>(run->firstRow + run->rowCount));
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
            return a.siteOrder != b.siteOrder ? a.siteOrder < b.siteOrder
                                              : a.yearOrder < b.yearOrder;
        });
        visit(tag, query.columnInt(1), rows);
    }
    if (query.failed()) {
        lastError_ = query.errorText();
        return QSqlError::StatementError;
    }
    return 0;
}

} // namespace rivulet
