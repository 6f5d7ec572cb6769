#include "rivulet/counts/NextDetectionTables.h"

#include <utility>

namespace rivulet {

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
