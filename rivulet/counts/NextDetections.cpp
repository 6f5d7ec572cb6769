#include "rivulet/counts/NextDetections.h"

#include "rivulet/data/DetectionSequenceControllerI.h"
#include "rivulet/data/Disposition.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

#include <algorithm>

namespace rivulet {

NextDetections::NextDetections(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years,
                               const DetectionSequenceControllerI& sequences)
    : TabulatedNextDetections(releases, sites, years), m_sequences(sequences)
{
}

void NextDetections::update()
{
    m_tables.reset(m_sites.count(), m_years.count());
    const QList<int> ids = m_releases.ids();
    for (const int release : ids)
        countRelease(release);
}

void NextDetections::countRelease(int release)
{
    const int S = m_sites.count();
    const int Y = m_years.count();
    const int relSite = releaseSitePos(release);
    const int relYear = releaseYearPos(release);

    m_tables.release(release);
    m_tables.releaseYear(relYear);
    m_tables.releaseSite(relSite);
    for (int a = 1; a <= S - 2; ++a)
        for (int b = 0; b < Y; ++b)
            m_tables.group(release, a, b);

    const Rows rows{m_sequences.tagIds(release), m_sequences.sites(release),
                    m_sequences.years(release), m_sequences.dispositions(release)};
    linkRows(rows);
    countFirstDetections(release, relSite, relYear);
    countNextDetections(release, rows);
}

// Links every detection row to the tag's next detection row (m_nextRow) and gathers one
// history per tag. A row that ends a history links to nothing, so a detection after it is
// never anyone's next detection.
void NextDetections::linkRows(const Rows& rows)
{
    const int n = std::min(
        {rows.tags.size(), rows.sites.size(), rows.years.size(), rows.dispositions.size()});
    m_nextRow.assign(static_cast<std::size_t>(n), -1);
    m_rowHistory.assign(static_cast<std::size_t>(n), -1);
    m_histories.clear();

    int current = -1; // index of the current tag's history
    QString currentTag;
    int previous = -1;
    for (int i = 0; i < n; ++i) {
        const QString& tag = rows.tags.at(i);
        const int site = rows.sites.at(i);
        const int disposition = rows.dispositions.at(i);
        if (current >= 0 && tag == currentTag) {
            TagHistory& history = m_histories[static_cast<std::size_t>(current)];
            if (history.firstSite < 0) {
                history.firstSite = site;
                history.firstYear = rows.years.at(i);
            }
            if (previous >= 0)
                m_nextRow[static_cast<std::size_t>(previous)] = i;
        } else if (disposition != dispositionCode(Disposition::NoDetection)) {
            current = static_cast<int>(m_histories.size());
            m_histories.push_back(TagHistory{site, rows.years.at(i), -1, true});
            currentTag = tag;
        } else {
            m_rowHistory[static_cast<std::size_t>(i)] = static_cast<int>(m_histories.size());
            m_histories.push_back(TagHistory{});
            continue;
        }
        m_rowHistory[static_cast<std::size_t>(i)] = current;
        TagHistory& history = m_histories[static_cast<std::size_t>(current)];
        if (disposition == dispositionCode(Disposition::EndsHistory)) {
            history.removedSite = site;
            previous = -1;
        } else {
            history.removedSite = -1;
            previous = i;
        }
    }
}

void NextDetections::countFirstDetections(int release, int relSite, int relYear)
{
    auto& counts = m_tables.release(release);
    auto& byYear = m_tables.releaseYear(relYear);
    auto& bySite = m_tables.releaseSite(relSite);
    for (const TagHistory& h : m_histories) {
        if (!h.detected) {
            ++counts.notSeen;
            continue;
        }
        counts.next.add(h.firstSite, h.firstYear);
        counts.detections.add(h.firstSite, h.firstYear);
        byYear.detections.add(h.firstSite, h.firstYear);
        bySite.detections.add(h.firstSite, h.firstYear);
        m_tables.total().add(h.firstSite, h.firstYear);
        if (h.removedSite == h.firstSite) {
            counts.removed.add(h.firstSite, h.firstYear);
            counts.detectionRemovals.add(h.firstSite, h.firstYear);
            byYear.removals.add(h.firstSite, h.firstYear);
            bySite.removals.add(h.firstSite, h.firstYear);
            m_tables.totalRemoved().add(h.firstSite, h.firstYear);
        }
    }
}

// Rows at the site where the tag's history ended are not counted as a start of a next
// detection; rows of tags without detection are no detections at all.
void NextDetections::countNextDetections(int release, const Rows& rows)
{
    auto& counts = m_tables.release(release);
    const auto n = m_nextRow.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int row = static_cast<int>(i);
        if (rows.dispositions.at(row) == dispositionCode(Disposition::NoDetection))
            continue;
        const TagHistory& h = m_histories[static_cast<std::size_t>(m_rowHistory[i])];
        const int a = rows.sites.at(row);
        const int b = rows.years.at(row);
        if (h.removedSite == a)
            continue;
        auto& group = m_tables.group(release, a, b);
        const int next = m_nextRow[i];
        if (next < 0) {
            ++group.notSeenAgain;
            continue;
        }
        const int s = rows.sites.at(next);
        const int y = rows.years.at(next);
        group.next.add(s, y);
        counts.detections.add(s, y);
        m_tables.total().add(s, y);
        if (h.removedSite == s) {
            group.removed.add(s, y);
            counts.detectionRemovals.add(s, y);
            m_tables.totalRemoved().add(s, y);
        }
    }
}

} // namespace rivulet
