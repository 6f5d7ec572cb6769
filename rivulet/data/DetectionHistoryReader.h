#pragma once

#include "lum/core/Expected.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rivulet {

class RivuletDb;

// Reads every tag with its detections at the active sites in the active years, tag by tag in
// the order of the tag codes, each tag's detections down-river and then by year.
//
// A million detections are read in two plain passes that SQLite serves from the tables'
// b-trees: the detections in storage order (the rows of one tag lie together there, as a load
// writes them) and the tags in key order; the two are matched in memory. A join that looks up
// each tag's detections through an index costs a b-tree search per tag and per detection.
//
//     DetectionHistoryReader reader(rdb);
//     reader.read(cohortId, [](std::string_view tag, int releaseId, const auto& rows) { ... });
class DetectionHistoryReader
{
public:
    // A detection of the tag: the site's and the year's position among the active ones.
    struct Row
    {
        int site;
        int year;
        int disposition;
    };
    // Called once per tag with its release and its detections (none when the tag was not seen
    // at an active site in an active year).
    using Visit =
        std::function<void(std::string_view tag, int releaseId, const std::vector<Row>& rows)>;

    explicit DetectionHistoryReader(RivuletDb& rdb) : m_rdb(rdb) {}

    // With `cohortId` >= 0 only the tags of that cohort. A database error when the file cannot
    // be read or holds rows that name what it does not hold.
    lum::Expected<void> read(int cohortId, const Visit& visit);

private:
    // A stretch of consecutive detections of one tag in storage order.
    struct Run
    {
        std::uint32_t textOffset;
        std::uint32_t textSize;
        std::uint32_t firstRow;
        std::uint32_t rowCount;
    };
    // An active site in an active year; `rank` orders cells down-river, then by year.
    struct Cell
    {
        int site;
        int year;
        int rank;
    };
    // A detection as kept between the two passes: a million of them.
    struct StoredRow
    {
        int cell;
        int disposition;
    };

    // Cells of every active site and year, by (site id, year id).
    lum::Expected<void> readCells(QHash<qint64, int>& cellOf, QSet<int>& siteIds,
                                  QSet<int>& yearIds);
    lum::Expected<void> readDetections();
    lum::Expected<void> visitTags(int cohortId, const Visit& visit);
    std::string_view tagOf(const Run& run) const;

    RivuletDb& m_rdb;
    std::string m_tagText;
    std::vector<Run> m_runs;
    std::vector<Cell> m_cells;
    std::vector<StoredRow> m_rows;
};

} // namespace rivulet
