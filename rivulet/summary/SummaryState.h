#pragma once

#include "rivulet/data/ReleaseKeys.h"
#include "rivulet/summary/SummaryTables.h"

#include <map>
#include <vector>

namespace rivulet {

class CountMatrix;
class NextDetectionsI;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// Where a release enters the river, by site and year position, and the sites below it that
// its fish passed unseen.
struct SummaryRelease
{
    ReleaseId id;
    int site = -1;
    int year = -1;
    // By site position: 1 where the release passes the site unseen.
    std::vector<char> passThrough;
};

// Everything the release summary works on while it builds and marks its tables: the releases
// as the counts see them, their tables, the pooled tables and the groups. The table builder
// fills it, each marking stage refines it, the indicators are read from it. Releases are
// addressed by their position r in the releases controller's list.
struct SummaryState
{
    using GroupMap = std::map<int, SummaryTables>;

    SummaryState(const NextDetectionsI& counts, int siteCount, int yearCount)
        : counts(counts), siteCount(siteCount), yearCount(yearCount)
    {
    }

    // The active releases in the controller's order, with their pass-through sites.
    static SummaryState read(const ReleasesControllerI& releases, const SitesControllerI& sites,
                             const YearsControllerI& years, const NextDetectionsI& counts);

    const NextDetectionsI& counts;
    int siteCount = 0;
    int yearCount = 0;
    std::vector<SummaryRelease> releases;
    std::vector<SummaryTables> releaseTables;
    SummaryTables pooled;
    GroupMap yearGroups;
    GroupMap siteGroups;

    int releaseCount() const { return static_cast<int>(releases.size()); }
    const SummaryRelease& release(int r) const { return releases[static_cast<std::size_t>(r)]; }
    SummaryTables& tablesOf(int r) { return releaseTables[static_cast<std::size_t>(r)]; }
    const SummaryTables& tablesOf(int r) const
    {
        return releaseTables[static_cast<std::size_t>(r)];
    }

    // A release at an inactive site or year, or at the final site, has no parameters.
    bool isModelled(int r) const;
    std::vector<int> allModelled() const;
    // The modelled releases of one release-year (byYear) or release-site position.
    std::vector<int> groupMembers(bool byYear, int key) const;
    bool isPassThrough(int r, int site) const;
    // The first site below the release that is not a pass-through site of it.
    int firstReachSite(int r) const;
    // Where the fish of release r that were at (site, year) were next seen.
    const CountMatrix& countsLeaving(int r, int site, int year) const;
    // Where the fish of release r seen at `from` (its release point or a later capture
    // cell) were next seen.
    const CountMatrix& seenNextFrom(int r, const CaptureKey& from) const;

    // visit(SummaryTables& group, const std::vector<int>& members) for every group.
    template <typename Visit>
    void forEachGroup(Visit&& visit)
    {
        for (auto& [key, group] : yearGroups)
            visit(group, groupMembers(true, key));
        for (auto& [key, group] : siteGroups)
            visit(group, groupMembers(false, key));
    }

    // visit(TransitionCell&) for every release cell / group cell with that key.
    template <typename Visit>
    void forCellsWithKey(const PathKey& key, Visit&& visit)
    {
        for (auto& tables : releaseTables)
            if (TransitionCell* cell = tables.transition(key))
                visit(*cell);
    }
    template <typename Visit>
    void forGroupCellsWithKey(const PathKey& key, Visit&& visit)
    {
        for (auto* groups : {&yearGroups, &siteGroups})
            for (auto& entry : *groups)
                if (TransitionCell* cell = entry.second.transition(key))
                    visit(*cell);
    }

private:
    std::vector<char> findPassThroughSites(const SummaryRelease& release) const;
};

} // namespace rivulet
