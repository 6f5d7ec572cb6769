#include "rivulet/data/DetectionHistoryReader.h"

#include "lum/db/DbModel.h"
#include "lum/db/NativeStatement.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/CohortDbModel.h"
#include "rivulet/data/ObservationDbModel.h"
#include "rivulet/data/ReleaseDbModel.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SiteDbModel.h"
#include "rivulet/data/TagDbModel.h"
#include "rivulet/data/YearDbModel.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace rivulet {

namespace {

struct Position
{
    int order;
    int active; // -1 when left out
};

lum::Error readError(const QString& text)
{
    return lum::Error(lum::JobError::Database, text);
}

lum::Error damage(const QString& what)
{
    return readError(QStringLiteral("The database is damaged: %1, which it does not hold. Restore "
                                    "it from a copy, or load the study again.")
                         .arg(what));
}

// Sequence and active sequence of every row of the sites or the years table, by id.
lum::Expected<void> readPositions(const lum::SqliteDb& db, const lum::DbModel& model, int sequence,
                                  int activeSequence, QHash<int, Position>& positions)
{
    lum::NativeStatement query;
    if (!query.prepare(db, QStringLiteral("select ") + model.quotedColumnName(0) +
                               QStringLiteral(", ") + model.quotedColumnName(sequence) +
                               QStringLiteral(", ") + model.quotedColumnName(activeSequence) +
                               QStringLiteral(" from ") + model.tableName()))
        return readError(query.errorText());
    while (query.next())
        positions.insert(query.columnInt(0), Position{query.columnInt(1), query.columnInt(2)});
    if (query.failed())
        return readError(query.errorText());
    return {};
}

} // namespace

std::string_view DetectionHistoryReader::tagOf(const Run& run) const
{
    return std::string_view(m_tagText).substr(run.textOffset, run.textSize);
}

lum::Expected<void> DetectionHistoryReader::read(int cohortId, const Visit& visit)
{
    m_tagText.clear();
    m_runs.clear();
    m_cells.clear();
    m_rows.clear();
    const lum::SqliteDb* db = m_rdb.database();
    if (db == nullptr || !db->isOpen())
        return readError(QStringLiteral("The database is not open."));
    if (lum::Expected<void> detections = readDetections(); !detections)
        return detections;
    return visitTags(cohortId, visit);
}

lum::Expected<void> DetectionHistoryReader::readCells(QHash<qint64, int>& cellOf,
                                                      QSet<int>& siteIds, QSet<int>& yearIds)
{
    const lum::SqliteDb& db = *m_rdb.database();
    QHash<int, Position> sites;
    QHash<int, Position> years;
    if (lum::Expected<void> read =
            readPositions(db, *m_rdb.model(RivuletDb::Sites), SiteDbModel::Sequence,
                          SiteDbModel::ActiveSequence, sites);
        !read)
        return read;
    if (lum::Expected<void> read =
            readPositions(db, *m_rdb.model(RivuletDb::Years), YearDbModel::Sequence,
                          YearDbModel::ActiveSequence, years);
        !read)
        return read;
    for (auto site = sites.cbegin(); site != sites.cend(); ++site)
        siteIds.insert(site.key());
    for (auto year = years.cbegin(); year != years.cend(); ++year)
        yearIds.insert(year.key());
    struct Candidate
    {
        Position site;
        Position year;
        qint64 key;
    };
    std::vector<Candidate> candidates;
    for (auto site = sites.cbegin(); site != sites.cend(); ++site) {
        for (auto year = years.cbegin(); year != years.cend(); ++year) {
            if (site->active >= 0 && year->active >= 0)
                candidates.push_back(
                    {*site, *year, (qint64(site.key()) << 32) | quint32(year.key())});
        }
    }
    const auto before = [](const Candidate& a, const Candidate& b) {
        return a.site.order != b.site.order ? a.site.order < b.site.order
                                            : a.year.order < b.year.order;
    };
    std::sort(candidates.begin(), candidates.end(), before);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& c = candidates[i];
        // Cells the order cannot tell apart share a rank, and keep their storage order.
        const int rank =
            i > 0 && !before(candidates[i - 1], c) ? m_cells.back().rank : static_cast<int>(i);
        cellOf.insert(c.key, static_cast<int>(m_cells.size()));
        m_cells.push_back(Cell{c.site.active, c.year.active, rank});
    }
    return {};
}

lum::Expected<void> DetectionHistoryReader::readDetections()
{
    const lum::SqliteDb& db = *m_rdb.database();
    QHash<qint64, int> cellOf;
    QSet<int> siteIds;
    QSet<int> yearIds;
    if (lum::Expected<void> cells = readCells(cellOf, siteIds, yearIds); !cells)
        return cells;

    const lum::DbModel& observations = *m_rdb.model(RivuletDb::Observations);
    lum::NativeStatement query;
    if (!query.prepare(
            db,
            QStringLiteral("select ") + observations.quotedColumnName(ObservationDbModel::TagId) +
                QStringLiteral(", ") + observations.quotedColumnName(ObservationDbModel::SiteId) +
                QStringLiteral(", ") +
                observations.quotedColumnName(ObservationDbModel::MigrationYearId) +
                QStringLiteral(", ") +
                observations.quotedColumnName(ObservationDbModel::Disposition) +
                QStringLiteral(" from ") + observations.tableName() + QStringLiteral(" order by ") +
                observations.quotedColumnName(ObservationDbModel::Id)))
        return readError(query.errorText());
    // The cell last looked up: consecutive detections mostly share it.
    qint64 key = 0;
    int cell = -1;
    bool known = false;
    while (query.next()) {
        if (query.isNull(1) || query.isNull(2))
            continue;
        const qint64 rowKey = (qint64(query.columnInt(1)) << 32) | quint32(query.columnInt(2));
        if (!known || rowKey != key) {
            key = rowKey;
            cell = cellOf.value(key, -1);
            known = true;
        }
        if (cell < 0) {
            // Left out of the analysis, or naming a site or year the file no longer has: the
            // second is damage, and skipping it would quietly lose the fish's detections.
            if (siteIds.contains(query.columnInt(1)) && yearIds.contains(query.columnInt(2)))
                continue;
            return damage(QStringLiteral("a detection names site id %1 and year id %2")
                              .arg(query.columnInt(1))
                              .arg(query.columnInt(2)));
        }
        int size = 0;
        const char* tag = query.columnText(0, &size);
        const std::string_view text(tag, static_cast<std::size_t>(size));
        if (m_runs.empty() || tagOf(m_runs.back()) != text) {
            if (m_tagText.size() + text.size() > std::numeric_limits<std::uint32_t>::max() ||
                m_rows.size() >= std::numeric_limits<std::uint32_t>::max())
                return lum::Error(lum::JobError::Failed,
                                  QStringLiteral("The detections do not fit in memory."));
            m_runs.push_back(Run{static_cast<std::uint32_t>(m_tagText.size()),
                                 static_cast<std::uint32_t>(text.size()),
                                 static_cast<std::uint32_t>(m_rows.size()), 0});
            m_tagText.append(text);
        }
        m_rows.push_back(StoredRow{cell, query.columnInt(3)});
        ++m_runs.back().rowCount;
    }
    if (query.failed())
        return readError(query.errorText());
    // By tag code in the byte order of SQLite's text key, the runs of one tag in storage order.
    std::sort(m_runs.begin(), m_runs.end(), [this](const Run& a, const Run& b) {
        const int order = tagOf(a).compare(tagOf(b));
        return order != 0 ? order < 0 : a.firstRow < b.firstRow;
    });
    return {};
}

lum::Expected<void> DetectionHistoryReader::visitTags(int cohortId, const Visit& visit)
{
    const lum::SqliteDb& db = *m_rdb.database();
    const lum::DbModel& tags = *m_rdb.model(RivuletDb::Tags);
    const lum::DbModel& cohorts = *m_rdb.model(RivuletDb::Cohorts);
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
    if (!query.prepare(db, sql))
        return readError(query.errorText());
    if (cohortId >= 0)
        query.bindInt(1, cohortId);

    // Rows naming a release or a tag the file no longer holds are damage: skipping them would
    // quietly lose fish from the analysis.
    QHash<int, Position> releaseIds;
    if (lum::Expected<void> read =
            readPositions(db, *m_rdb.model(RivuletDb::Releases), ReleaseDbModel::Sequence,
                          ReleaseDbModel::ActiveSequence, releaseIds);
        !read)
        return read;
    const auto orphanBefore = [&](auto run, std::string_view tag) {
        // Every tag is visited when no cohort is chosen, so a detection passed over names none.
        return cohortId < 0 && run != m_runs.cend() && tagOf(*run) < tag;
    };

    std::vector<StoredRow> stored;
    std::vector<Row> rows;
    auto run = m_runs.cbegin();
    while (query.next()) {
        int size = 0;
        const char* text = query.columnText(0, &size);
        const std::string_view tag(text, static_cast<std::size_t>(size));
        if (orphanBefore(run, tag))
            return damage(QStringLiteral("a detection names tag \"%1\"")
                              .arg(QString::fromUtf8(tagOf(*run).data(), int(tagOf(*run).size()))));
        if (!releaseIds.contains(query.columnInt(1)))
            return damage(QStringLiteral("tag \"%1\" names release id %2")
                              .arg(QString::fromUtf8(text, size))
                              .arg(query.columnInt(1)));
        while (run != m_runs.cend() && tagOf(*run) < tag)
            ++run;
        stored.clear();
        for (; run != m_runs.cend() && tagOf(*run) == tag; ++run) {
            const auto first = m_rows.cbegin() + static_cast<std::ptrdiff_t>(run->firstRow);
            stored.insert(stored.end(), first, first + static_cast<std::ptrdiff_t>(run->rowCount));
        }
        std::stable_sort(stored.begin(), stored.end(), [this](StoredRow a, StoredRow b) {
            return m_cells[static_cast<std::size_t>(a.cell)].rank <
                   m_cells[static_cast<std::size_t>(b.cell)].rank;
        });
        rows.clear();
        for (const StoredRow& row : stored) {
            const Cell& cell = m_cells[static_cast<std::size_t>(row.cell)];
            rows.push_back(Row{cell.site, cell.year, row.disposition});
        }
        visit(tag, query.columnInt(1), rows);
    }
    if (query.failed())
        return readError(query.errorText());
    if (cohortId < 0 && run != m_runs.cend())
        return damage(QStringLiteral("a detection names tag \"%1\"")
                          .arg(QString::fromUtf8(tagOf(*run).data(), int(tagOf(*run).size()))));
    return {};
}

} // namespace rivulet
