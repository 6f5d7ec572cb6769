#include "rivulet/counts/NextDetectionTables.h"

#include <QByteArray>
#include <QDataStream>

#include <algorithm>
#include <utility>
#include <vector>

namespace rivulet {

namespace {

// Changes whenever the layout below changes, so an old form is derived again, not misread.
constexpr qint32 formatVersion = 1;

template <typename Map>
std::vector<typename Map::key_type> sortedKeys(const Map& map)
{
    std::vector<typename Map::key_type> keys;
    keys.reserve(map.size());
    for (const auto& entry : map)
        keys.push_back(entry.first);
    return keys;
}

void writePooled(QDataStream& out,
                 const std::unordered_map<int, NextDetectionTables::PooledCounts>& table)
{
    std::vector<int> keys = sortedKeys(table);
    std::sort(keys.begin(), keys.end());
    out << static_cast<qint32>(keys.size());
    for (const int key : keys) {
        const NextDetectionTables::PooledCounts& counts = table.at(key);
        out << static_cast<qint32>(key);
        counts.detections.write(out);
        counts.removals.write(out);
    }
}

} // namespace

void NextDetectionTables::reset(int siteCount, int yearCount)
{
    m_siteCount = siteCount;
    m_yearCount = yearCount;
    m_releases.clear();
    m_groups.clear();
    m_byReleaseYear.clear();
    m_byReleaseSite.clear();
    m_total = newMatrix();
    m_totalRemoved = newMatrix();
}

NextDetectionTables::ReleaseCounts& NextDetectionTables::release(int release)
{
    auto it = m_releases.find(release);
    if (it == m_releases.end()) {
        ReleaseCounts counts;
        counts.next = newMatrix();
        counts.removed = newMatrix();
        counts.detections = newMatrix();
        counts.detectionRemovals = newMatrix();
        it = m_releases.emplace(release, std::move(counts)).first;
    }
    return it->second;
}

NextDetectionTables::GroupCounts& NextDetectionTables::group(int release, int sitePos, int yearPos)
{
    const GroupKey key{release, sitePos, yearPos};
    auto it = m_groups.find(key);
    if (it == m_groups.end()) {
        GroupCounts counts;
        counts.next = newMatrix();
        counts.removed = newMatrix();
        it = m_groups.emplace(key, std::move(counts)).first;
    }
    return it->second;
}

NextDetectionTables::PooledCounts&
NextDetectionTables::pooled(std::unordered_map<int, PooledCounts>& table, int key)
{
    auto it = table.find(key);
    if (it == table.end())
        it = table.emplace(key, PooledCounts{newMatrix(), newMatrix()}).first;
    return it->second;
}

NextDetectionTables::PooledCounts& NextDetectionTables::releaseYear(int releaseYearPos)
{
    return pooled(m_byReleaseYear, releaseYearPos);
}

NextDetectionTables::PooledCounts& NextDetectionTables::releaseSite(int releaseSitePos)
{
    return pooled(m_byReleaseSite, releaseSitePos);
}

const NextDetectionTables::ReleaseCounts* NextDetectionTables::findRelease(int release) const
{
    const auto it = m_releases.find(release);
    return it == m_releases.end() ? nullptr : &it->second;
}

const NextDetectionTables::GroupCounts* NextDetectionTables::findGroup(int release, int sitePos,
                                                                       int yearPos) const
{
    const auto it = m_groups.find(GroupKey{release, sitePos, yearPos});
    return it == m_groups.end() ? nullptr : &it->second;
}

const NextDetectionTables::PooledCounts*
NextDetectionTables::findReleaseYear(int releaseYearPos) const
{
    const auto it = m_byReleaseYear.find(releaseYearPos);
    return it == m_byReleaseYear.end() ? nullptr : &it->second;
}

const NextDetectionTables::PooledCounts*
NextDetectionTables::findReleaseSite(int releaseSitePos) const
{
    const auto it = m_byReleaseSite.find(releaseSitePos);
    return it == m_byReleaseSite.end() ? nullptr : &it->second;
}

QByteArray NextDetectionTables::toBytes() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << formatVersion << static_cast<qint32>(m_siteCount) << static_cast<qint32>(m_yearCount);
    std::vector<int> releaseKeys = sortedKeys(m_releases);
    std::sort(releaseKeys.begin(), releaseKeys.end());
    out << static_cast<qint32>(releaseKeys.size());
    for (const int key : releaseKeys) {
        const ReleaseCounts& counts = m_releases.at(key);
        out << static_cast<qint32>(key) << static_cast<qint32>(counts.notSeen);
        for (const CountMatrix* matrix :
             {&counts.next, &counts.removed, &counts.detections, &counts.detectionRemovals})
            matrix->write(out);
    }
    out << static_cast<qint32>(m_groups.size());
    for (const auto& entry : m_groups) {
        out << static_cast<qint32>(entry.first.release) << static_cast<qint32>(entry.first.site)
            << static_cast<qint32>(entry.first.year)
            << static_cast<qint32>(entry.second.notSeenAgain);
        entry.second.next.write(out);
        entry.second.removed.write(out);
    }
    writePooled(out, m_byReleaseYear);
    writePooled(out, m_byReleaseSite);
    m_total.write(out);
    m_totalRemoved.write(out);
    // Most counts are 0: the stored form is a fraction of the tables' size.
    return qCompress(bytes);
}

bool NextDetectionTables::fromBytes(const QByteArray& compressed)
{
    const QByteArray bytes = qUncompress(compressed);
    QDataStream in(bytes);
    NextDetectionTables tables;
    qint32 version = 0;
    qint32 sites = 0;
    qint32 years = 0;
    in >> version >> sites >> years;
    bool ok = in.status() == QDataStream::Ok && version == formatVersion;
    tables.reset(sites, years);
    const auto readCount = [&in, &ok] {
        qint32 n = 0;
        in >> n;
        ok = ok && in.status() == QDataStream::Ok && n >= 0;
        return ok ? n : 0;
    };
    for (qint32 i = 0, n = readCount(); ok && i < n; ++i) {
        qint32 key = 0;
        qint32 notSeen = 0;
        in >> key >> notSeen;
        ReleaseCounts& counts = tables.m_releases[key];
        counts.notSeen = notSeen;
        for (CountMatrix* matrix :
             {&counts.next, &counts.removed, &counts.detections, &counts.detectionRemovals})
            ok = ok && matrix->read(in);
    }
    for (qint32 i = 0, n = ok ? readCount() : 0; ok && i < n; ++i) {
        qint32 release = 0;
        qint32 site = 0;
        qint32 year = 0;
        qint32 notSeenAgain = 0;
        in >> release >> site >> year >> notSeenAgain;
        GroupCounts& counts = tables.m_groups[GroupKey{release, site, year}];
        counts.notSeenAgain = notSeenAgain;
        ok = ok && counts.next.read(in) && counts.removed.read(in);
    }
    for (auto* table : {&tables.m_byReleaseYear, &tables.m_byReleaseSite}) {
        for (qint32 i = 0, n = ok ? readCount() : 0; ok && i < n; ++i) {
            qint32 key = 0;
            in >> key;
            PooledCounts& counts = (*table)[key];
            ok = ok && counts.detections.read(in) && counts.removals.read(in);
        }
    }
    ok = ok && tables.m_total.read(in) && tables.m_totalRemoved.read(in);
    if (!ok || in.status() != QDataStream::Ok || !in.atEnd()) {
        reset(0, 0);
        return false;
    }
    swap(tables);
    return true;
}

void NextDetectionTables::swap(NextDetectionTables& other) noexcept
{
    std::swap(m_siteCount, other.m_siteCount);
    std::swap(m_yearCount, other.m_yearCount);
    m_releases.swap(other.m_releases);
    m_groups.swap(other.m_groups);
    m_byReleaseYear.swap(other.m_byReleaseYear);
    m_byReleaseSite.swap(other.m_byReleaseSite);
    std::swap(m_total, other.m_total);
    std::swap(m_totalRemoved, other.m_totalRemoved);
}

} // namespace rivulet
