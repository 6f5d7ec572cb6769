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
    siteCount_ = siteCount;
    yearCount_ = yearCount;
    releases_.clear();
    groups_.clear();
    byReleaseYear_.clear();
    byReleaseSite_.clear();
    total_ = newMatrix();
    totalRemoved_ = newMatrix();
}

NextDetectionTables::ReleaseCounts& NextDetectionTables::release(int release)
{
    auto it = releases_.find(release);
    if (it == releases_.end()) {
        ReleaseCounts counts;
        counts.next = newMatrix();
        counts.removed = newMatrix();
        counts.detections = newMatrix();
        counts.detectionRemovals = newMatrix();
        it = releases_.emplace(release, std::move(counts)).first;
    }
    return it->second;
}

NextDetectionTables::GroupCounts& NextDetectionTables::group(int release, int sitePos, int yearPos)
{
    const GroupKey key{release, sitePos, yearPos};
    auto it = groups_.find(key);
    if (it == groups_.end()) {
        GroupCounts counts;
        counts.next = newMatrix();
        counts.removed = newMatrix();
        it = groups_.emplace(key, std::move(counts)).first;
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
    return pooled(byReleaseYear_, releaseYearPos);
}

NextDetectionTables::PooledCounts& NextDetectionTables::releaseSite(int releaseSitePos)
{
    return pooled(byReleaseSite_, releaseSitePos);
}

const NextDetectionTables::ReleaseCounts* NextDetectionTables::findRelease(int release) const
{
    const auto it = releases_.find(release);
    return it == releases_.end() ? nullptr : &it->second;
}

const NextDetectionTables::GroupCounts* NextDetectionTables::findGroup(int release, int sitePos,
                                                                       int yearPos) const
{
    const auto it = groups_.find(GroupKey{release, sitePos, yearPos});
    return it == groups_.end() ? nullptr : &it->second;
}

const NextDetectionTables::PooledCounts*
NextDetectionTables::findReleaseYear(int releaseYearPos) const
{
    const auto it = byReleaseYear_.find(releaseYearPos);
    return it == byReleaseYear_.end() ? nullptr : &it->second;
}

const NextDetectionTables::PooledCounts*
NextDetectionTables::findReleaseSite(int releaseSitePos) const
{
    const auto it = byReleaseSite_.find(releaseSitePos);
    return it == byReleaseSite_.end() ? nullptr : &it->second;
}

QByteArray NextDetectionTables::toBytes() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << formatVersion << static_cast<qint32>(siteCount_) << static_cast<qint32>(yearCount_);
    std::vector<int> releaseKeys = sortedKeys(releases_);
    std::sort(releaseKeys.begin(), releaseKeys.end());
    out << static_cast<qint32>(releaseKeys.size());
    for (const int key : releaseKeys) {
        const ReleaseCounts& counts = releases_.at(key);
        out << static_cast<qint32>(key) << static_cast<qint32>(counts.notSeen);
        for (const CountMatrix* matrix :
             {&counts.next, &counts.removed, &counts.detections, &counts.detectionRemovals})
            matrix->write(out);
    }
    out << static_cast<qint32>(groups_.size());
    for (const auto& entry : groups_) {
        out << static_cast<qint32>(entry.first.release) << static_cast<qint32>(entry.first.site)
            << static_cast<qint32>(entry.first.year)
            << static_cast<qint32>(entry.second.notSeenAgain);
        entry.second.next.write(out);
        entry.second.removed.write(out);
    }
    writePooled(out, byReleaseYear_);
    writePooled(out, byReleaseSite_);
    total_.write(out);
    totalRemoved_.write(out);
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
        ReleaseCounts& counts = tables.releases_[key];
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
        GroupCounts& counts = tables.groups_[GroupKey{release, site, year}];
        counts.notSeenAgain = notSeenAgain;
        ok = ok && counts.next.read(in) && counts.removed.read(in);
    }
    for (auto* table : {&tables.byReleaseYear_, &tables.byReleaseSite_}) {
        for (qint32 i = 0, n = ok ? readCount() : 0; ok && i < n; ++i) {
            qint32 key = 0;
            in >> key;
            PooledCounts& counts = (*table)[key];
            ok = ok && counts.detections.read(in) && counts.removals.read(in);
        }
    }
    ok = ok && tables.total_.read(in) && tables.totalRemoved_.read(in);
    if (!ok || in.status() != QDataStream::Ok || !in.atEnd()) {
        reset(0, 0);
        return false;
    }
    swap(tables);
    return true;
}

void NextDetectionTables::swap(NextDetectionTables& other) noexcept
{
    std::swap(siteCount_, other.siteCount_);
    std::swap(yearCount_, other.yearCount_);
    releases_.swap(other.releases_);
    groups_.swap(other.groups_);
    byReleaseYear_.swap(other.byReleaseYear_);
    byReleaseSite_.swap(other.byReleaseSite_);
    std::swap(total_, other.total_);
    std::swap(totalRemoved_, other.totalRemoved_);
}

} // namespace rivulet
