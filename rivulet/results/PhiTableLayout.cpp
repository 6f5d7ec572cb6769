#include "rivulet/results/PhiTableLayout.h"

#include <algorithm>

namespace rivulet {

PhiTableLayout::PhiTableLayout(const QStringList& siteNames, int yearCount, int releaseSite,
                               int releaseYear)
    : m_siteNames(siteNames), m_releaseSite(releaseSite), m_releaseYear(releaseYear),
      m_reachCount(std::max(0, static_cast<int>(siteNames.size()) - 2 - releaseSite))
{
    for (int u = releaseYear; u < yearCount; ++u) {
        for (int d = u; d < yearCount; ++d)
            m_yearPairs.push_back(YearPair{u, d});
    }
}

QString PhiTableLayout::upstreamName(int j) const
{
    const int site = m_releaseSite + j;
    return site == 0 ? QStringLiteral("Rel") : m_siteNames.value(site);
}

QString PhiTableLayout::downstreamName(int j) const
{
    return m_siteNames.value(reachSite(j));
}

QString PhiTableLayout::reachLabel(int j) const
{
    return upstreamName(j) + QStringLiteral("-") + downstreamName(j);
}

} // namespace rivulet
