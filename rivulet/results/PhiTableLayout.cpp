#include "rivulet/results/PhiTableLayout.h"

#include <algorithm>

namespace rivulet {

PhiTableLayout::PhiTableLayout(const QStringList& siteNames, int yearCount, int releaseSite,
                               int releaseYear)
    : siteNames_(siteNames), releaseSite_(releaseSite), releaseYear_(releaseYear),
      reachCount_(std::max(0, static_cast<int>(siteNames.size()) - 2 - releaseSite))
{
    for (int u = releaseYear; u < yearCount; ++u) {
        for (int d = u; d < yearCount; ++d)
            yearPairs_.push_back(YearPair{u, d});
    }
}

QString PhiTableLayout::upstreamName(int j) const
{
    const int site = releaseSite_ + j;
    return site == 0 ? QStringLiteral("Rel") : siteNames_.value(site);
}

QString PhiTableLayout::downstreamName(int j) const
{
    return siteNames_.value(reachSite(j));
}

QString PhiTableLayout::reachLabel(int j) const
{
    return upstreamName(j) + QStringLiteral("-") + downstreamName(j);
}

} // namespace rivulet
