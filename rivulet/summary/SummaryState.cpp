#include "rivulet/summary/SummaryState.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

namespace rivulet {

SummaryState SummaryState::read(const ReleasesControllerI& releases, const SitesControllerI& sites,
                                const YearsControllerI& years, const NextDetectionsI& counts)
{
    SummaryState state(counts, sites.count(), years.count());
    const QList<int> ids = releases.ids();
    for (const int id : ids) {
        SummaryRelease release;
        release.id = ReleaseId{id};
        release.site = sites.indexOf(releases.releaseSiteId(id));
        release.year = years.indexOf(releases.releaseYearId(id));
        state.releases.push_back(release);
    }
    state.releaseTables.resize(state.releases.size());
    for (int r = 0; r < state.releaseCount(); ++r)
        if (state.isModelled(r))
            state.releases[static_cast<std::size_t>(r)].passThrough =
                state.findPassThroughSites(state.release(r));
    return state;
}

// A site below the release at which none of its fish was ever detected, while some were
// detected further down, was passed unseen by every fish that went on: a release site lower
// on the river (it has no detector), or a detector that missed the whole release.
//
// The test is made per release, not over all releases. The parameters of a release are fixed
// from that release's own cells, and a release without a single detection at a site carries no
// information about it: the detection probability there has its maximum at 0, and survival into
// the site and out of it can only be estimated as their product. Fixing the reach into the site
// at 1 and the detection at 0 gives the same maximum of the likelihood and keeps the release's
// parameters identifiable; judged over all releases, a detector that happened to miss one small
// release would leave that release with a singular Hessian in every model that keeps it apart.
std::vector<char> SummaryState::findPassThroughSites(const SummaryRelease& release) const
{
    std::vector<char> passThrough(static_cast<std::size_t>(siteCount), 0);
    bool seenBelow = false;
    for (int s = siteCount - 1; s > release.site; --s) {
        bool seenHere = false;
        for (int y = release.year; y < yearCount; ++y)
            seenHere = seenHere || counts.releaseDetections(release.id, s, y) > 0;
        if (s < siteCount - 1 && !seenHere && seenBelow)
            passThrough[static_cast<std::size_t>(s)] = 1;
        seenBelow = seenBelow || seenHere;
    }
    return passThrough;
}

bool SummaryState::isModelled(int r) const
{
    const SummaryRelease& rel = release(r);
    return rel.site >= 0 && rel.site < siteCount - 1 && rel.year >= 0 && rel.year < yearCount;
}

std::vector<int> SummaryState::allModelled() const
{
    std::vector<int> members;
    for (int r = 0; r < releaseCount(); ++r)
        if (isModelled(r))
            members.push_back(r);
    return members;
}

std::vector<int> SummaryState::groupMembers(bool byYear, int key) const
{
    std::vector<int> members;
    for (int r = 0; r < releaseCount(); ++r)
        if (isModelled(r) && (byYear ? release(r).year : release(r).site) == key)
            members.push_back(r);
    return members;
}

bool SummaryState::isPassThrough(int r, int site) const
{
    const auto& sites = release(r).passThrough;
    return site >= 0 && site < static_cast<int>(sites.size()) &&
           sites[static_cast<std::size_t>(site)] != 0;
}

int SummaryState::firstReachSite(int r) const
{
    int site = release(r).site + 1;
    while (isPassThrough(r, site))
        ++site;
    return site;
}

// Nobody is seen at a pass-through site, so its fish are counted at the nearest point above
// that can see them; the reach into a pass-through site is made in the year the fish left that
// point.
const CountMatrix& SummaryState::countsLeaving(int r, int site, int year) const
{
    static const CountMatrix none;
    const SummaryRelease& rel = release(r);
    while (site > rel.site && isPassThrough(r, site))
        --site;
    if (site > rel.site)
        return counts.nextCounts(rel.id, site, year);
    return year == rel.year ? counts.releaseNextCounts(rel.id) : none;
}

const CountMatrix& SummaryState::seenNextFrom(int r, const CaptureKey& from) const
{
    const SummaryRelease& rel = release(r);
    return from.site == rel.site ? counts.releaseNextCounts(rel.id)
                                 : counts.nextCounts(rel.id, from.site, from.year);
}

} // namespace rivulet
