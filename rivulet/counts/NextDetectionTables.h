#pragma once

#include "rivulet/counts/CountMatrix.h"

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <unordered_map>

namespace rivulet {

// The count tables behind a next-detections source, keyed as the interface asks for them:
// releases by id, groups by (release id, site position, year position), the pooled
// first-detection tables by release-year and release-site position. Every matrix has the
// shape of the data set (Y rows, S-1 columns).
class NextDetectionTables
{
public:
    struct ReleaseCounts
    {
        CountMatrix next;
        CountMatrix removed;
        std::int32_t notSeen = 0;
        // Every counted detection of the release's fish, first or later.
        CountMatrix detections;
        CountMatrix detectionRemovals;
    };
    struct GroupCounts
    {
        CountMatrix next;
        CountMatrix removed;
        std::int32_t notSeenAgain = 0;
    };
    struct PooledCounts
    {
        CountMatrix detections;
        CountMatrix removals;
    };
    struct GroupKey
    {
        int release = 0;
        int site = 0;
        int year = 0;
        bool operator==(const GroupKey& o) const
        {
            return release == o.release && site == o.site && year == o.year;
        }
    };
    struct GroupKeyHash
    {
        std::size_t operator()(const GroupKey& k) const
        {
            return std::hash<long long>()((static_cast<long long>(k.release) << 32) ^
                                          (static_cast<long long>(k.site) << 16) ^
                                          static_cast<long long>(k.year));
        }
    };
    using GroupMap = std::unordered_map<GroupKey, GroupCounts, GroupKeyHash>;

    // Frees every table and sets the shape of the matrices created from now on.
    void reset(int siteCount, int yearCount);
    int siteCount() const { return m_siteCount; }
    int yearCount() const { return m_yearCount; }

    // Find-or-create accessors used while counting.
    ReleaseCounts& release(int release);
    GroupCounts& group(int release, int sitePos, int yearPos);
    PooledCounts& releaseYear(int releaseYearPos);
    PooledCounts& releaseSite(int releaseSitePos);
    CountMatrix& total() { return m_total; }
    CountMatrix& totalRemoved() { return m_totalRemoved; }

    // Lookups; null when the table has no entry.
    const ReleaseCounts* findRelease(int release) const;
    const GroupCounts* findGroup(int release, int sitePos, int yearPos) const;
    const PooledCounts* findReleaseYear(int releaseYearPos) const;
    const PooledCounts* findReleaseSite(int releaseSitePos) const;
    const CountMatrix& total() const { return m_total; }
    const CountMatrix& totalRemoved() const { return m_totalRemoved; }
    const GroupMap& groups() const { return m_groups; }

    void swap(NextDetectionTables& other) noexcept;

    // Every table in a compact form, and back; read() is false, leaving the tables empty, when
    // the data are not such a form.
    QByteArray toBytes() const;
    bool fromBytes(const QByteArray& bytes);

private:
    CountMatrix newMatrix() const
    {
        return CountMatrix::forSitesAndYears(m_siteCount, m_yearCount);
    }
    PooledCounts& pooled(std::unordered_map<int, PooledCounts>& table, int key);

    int m_siteCount = 0;
    int m_yearCount = 0;
    std::unordered_map<int, ReleaseCounts> m_releases;
    GroupMap m_groups;
    std::unordered_map<int, PooledCounts> m_byReleaseYear;
    std::unordered_map<int, PooledCounts> m_byReleaseSite;
    CountMatrix m_total;
    CountMatrix m_totalRemoved;
};

} // namespace rivulet
