#include "tools/sim/PositionMap.h"

namespace rivulet::sim {

PositionMap::PositionMap(int sites, int years)
    : m_sites(sites, false), m_years(years, false), m_sitePositions(sites, -1),
      m_yearPositions(years, -1)
{
}

void PositionMap::markSite(int site)
{
    if (m_sites.at(site))
        return;
    m_sites[site] = true;
    number(m_sites, m_sitePositions, m_sitesAt, m_siteCount);
}

void PositionMap::markYear(int year)
{
    if (m_years.at(year))
        return;
    m_years[year] = true;
    number(m_years, m_yearPositions, m_yearsAt, m_yearCount);
}

void PositionMap::number(const QVector<bool>& present, QVector<int>& positions, QVector<int>& at,
                         int& count)
{
    at.clear();
    for (int i = 0; i < present.size(); ++i) {
        positions[i] = present.at(i) ? at.size() : -1;
        if (present.at(i))
            at << i;
    }
    count = at.size();
}

} // namespace rivulet::sim
