#include "rivulet/model/ParameterStructure.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace rivulet {

namespace {

bool inRange(int value, int count)
{
    return value >= 0 && value < count;
}

} // namespace

ParameterStructure::ParameterStructure(const ReleasesControllerI& releases,
                                       const SitesControllerI& sites, const YearsControllerI& years)
    : m_releases(&releases), m_sites(&sites), m_years(&years), m_siteCount(sites.count()),
      m_yearCount(years.count())
{
    const auto ids = releases.ids();
    m_relSites.reserve(static_cast<std::size_t>(ids.size()));
    m_relYears.reserve(static_cast<std::size_t>(ids.size()));
    for (const int id : ids) {
        m_relSites.push_back(sites.indexOf(releases.releaseSiteId(id)));
        m_relYears.push_back(years.indexOf(releases.releaseYearId(id)));
    }
    dimension();
    number();
}

ParameterStructure::ParameterStructure(std::vector<int> releaseSites, std::vector<int> releaseYears,
                                       int siteCount, int yearCount)
    : m_relSites(std::move(releaseSites)), m_relYears(std::move(releaseYears)),
      m_siteCount(std::max(siteCount, 0)), m_yearCount(std::max(yearCount, 0))
{
    m_relYears.resize(m_relSites.size(), -1);
    dimension();
    number();
}

bool ParameterStructure::isModelled(int r) const
{
    return inRange(r, releaseCount()) && inRange(relSite(r), m_siteCount - 1) &&
           inRange(relYear(r), m_yearCount);
}

void ParameterStructure::dimension()
{
    const int R = releaseCount();
    const int S = m_siteCount;
    const int Y = m_yearCount;
    m_lambdaBase = R * S * Y * Y;
    m_captureBase = m_lambdaBase + R * Y * Y;
    const auto cells = static_cast<std::size_t>(m_captureBase + R * S * Y);
    m_index.assign(cells, NoParameter);
    m_fixed.assign(cells, 0.0);
    m_entries.clear();
    m_numFree = 0;
}

void ParameterStructure::addEntry(ParameterFamily family, int r, int s, int y1, int y2, int cell)
{
    m_index[static_cast<std::size_t>(cell)] = static_cast<std::int32_t>(m_entries.size());
    m_entries.push_back({family, r, s, y1, y2, cell});
}

void ParameterStructure::number()
{
    const int R = releaseCount();
    const int S = m_siteCount;
    const int Y = m_yearCount;
    for (int r = 0; r < R; ++r) {
        if (!isModelled(r) || relSite(r) > S - 3) {
            continue;
        }
        const int first = relSite(r) + 1;
        for (int y2 = relYear(r); y2 < Y; ++y2) {
            addEntry(ParameterFamily::Phi, r, first, relYear(r), y2,
                     phiCell(r, first, relYear(r), y2));
        }
        for (int s = first + 1; s <= S - 2; ++s) {
            for (int y1 = relYear(r); y1 < Y; ++y1) {
                for (int y2 = y1; y2 < Y; ++y2) {
                    addEntry(ParameterFamily::Phi, r, s, y1, y2, phiCell(r, s, y1, y2));
                }
            }
        }
    }
    for (int r = 0; r < R; ++r) {
        if (!isModelled(r)) {
            continue;
        }
        const int lastY1 = relSite(r) == S - 2 ? relYear(r) : Y - 1;
        for (int y1 = relYear(r); y1 <= lastY1; ++y1) {
            for (int y2 = y1; y2 < Y; ++y2) {
                addEntry(ParameterFamily::Lambda, r, S - 1, y1, y2, lambdaCell(r, y1, y2));
            }
        }
    }
    for (int r = 0; r < R; ++r) {
        if (!isModelled(r)) {
            continue;
        }
        for (int s = relSite(r) + 1; s <= S - 2; ++s) {
            for (int y = relYear(r); y < Y; ++y) {
                addEntry(ParameterFamily::Capture, r, s, y, y, captureCell(r, s, y));
            }
        }
    }
    m_numFree = static_cast<std::int32_t>(m_entries.size());
}

int ParameterStructure::phiCell(int r, int s, int y1, int y2) const
{
    const int S = m_siteCount;
    const int Y = m_yearCount;
    if (!inRange(r, releaseCount()) || !inRange(s, S) || !inRange(y1, Y) || !inRange(y2, Y)) {
        return -1;
    }
    return phiOffset(r, s, y1, y2);
}

int ParameterStructure::lambdaCell(int r, int y1, int y2) const
{
    const int Y = m_yearCount;
    if (!inRange(r, releaseCount()) || !inRange(y1, Y) || !inRange(y2, Y)) {
        return -1;
    }
    return lambdaOffset(r, y1, y2);
}

int ParameterStructure::captureCell(int r, int s, int y) const
{
    if (!inRange(r, releaseCount()) || !inRange(s, m_siteCount) || !inRange(y, m_yearCount)) {
        return -1;
    }
    return captureOffset(r, s, y);
}

std::int32_t ParameterStructure::indexOfCell(int cell) const
{
    return cell < 0 ? NoParameter : m_index[static_cast<std::size_t>(cell)];
}

double ParameterStructure::fixedValueOfCell(int cell) const
{
    return cell < 0 ? 0.0 : m_fixed[static_cast<std::size_t>(cell)];
}

std::int32_t ParameterStructure::phiIndex(int r, int s, int y1, int y2) const
{
    return indexOfCell(phiCell(r, s, y1, y2));
}

std::int32_t ParameterStructure::lambdaIndex(int r, int y1, int y2) const
{
    return indexOfCell(lambdaCell(r, y1, y2));
}

std::int32_t ParameterStructure::captureIndex(int r, int s, int y) const
{
    return indexOfCell(captureCell(r, s, y));
}

double ParameterStructure::phiFixed(int r, int s, int y1, int y2) const
{
    return fixedValueOfCell(phiCell(r, s, y1, y2));
}

double ParameterStructure::lambdaFixed(int r, int y1, int y2) const
{
    return fixedValueOfCell(lambdaCell(r, y1, y2));
}

double ParameterStructure::captureFixed(int r, int s, int y) const
{
    return fixedValueOfCell(captureCell(r, s, y));
}

std::int32_t ParameterStructure::entryIndex(int k) const
{
    return m_index[static_cast<std::size_t>(m_entries[static_cast<std::size_t>(k)].cell)];
}

double ParameterStructure::entryFixedValue(int k) const
{
    return m_fixed[static_cast<std::size_t>(m_entries[static_cast<std::size_t>(k)].cell)];
}

void ParameterStructure::fix(std::int32_t i, double value)
{
    // An unused position would make numFree disagree with the positions in use.
    if (i < 0 || i >= m_numFree) {
        return;
    }
    for (const ParameterEntry& entry : m_entries) {
        std::int32_t& index = m_index[static_cast<std::size_t>(entry.cell)];
        if (index == i) {
            index = Fixed;
            m_fixed[static_cast<std::size_t>(entry.cell)] = value;
        } else if (index > i) {
            --index;
        }
    }
    --m_numFree;
}

void ParameterStructure::equate(std::int32_t a, std::int32_t b)
{
    if (a < 0 || b < 0 || a == b || a >= m_numFree || b >= m_numFree) {
        return;
    }
    const std::int32_t lo = std::min(a, b);
    const std::int32_t hi = std::max(a, b);
    for (const ParameterEntry& entry : m_entries) {
        std::int32_t& index = m_index[static_cast<std::size_t>(entry.cell)];
        if (index == hi) {
            index = lo;
        } else if (index > hi) {
            --index;
        }
    }
    --m_numFree;
}

ParameterStructure::Changes::Changes(const ParameterStructure& structure)
    : m_index(structure.m_index), m_parent(static_cast<std::size_t>(structure.m_numFree)),
      m_isFixed(m_parent.size(), 0), m_value(m_parent.size(), 0.0)
{
    std::iota(m_parent.begin(), m_parent.end(), 0);
}

std::int32_t ParameterStructure::Changes::positionOf(int cell) const
{
    return cell < 0 ? NoParameter : m_index[static_cast<std::size_t>(cell)];
}

std::int32_t ParameterStructure::Changes::root(std::int32_t position)
{
    std::int32_t r = position;
    while (m_parent[static_cast<std::size_t>(r)] != r)
        r = m_parent[static_cast<std::size_t>(r)];
    while (m_parent[static_cast<std::size_t>(position)] != r) {
        const std::int32_t next = m_parent[static_cast<std::size_t>(position)];
        m_parent[static_cast<std::size_t>(position)] = r;
        position = next;
    }
    return r;
}

void ParameterStructure::Changes::fix(int cell, double value)
{
    const std::int32_t position = positionOf(cell);
    if (position < 0)
        return;
    const auto r = static_cast<std::size_t>(root(position));
    // A fixed parameter has no position left to fix again.
    if (m_isFixed[r])
        return;
    m_isFixed[r] = 1;
    m_value[r] = value;
}

void ParameterStructure::Changes::equate(int cellA, int cellB)
{
    const std::int32_t a = positionOf(cellA);
    const std::int32_t b = positionOf(cellB);
    if (a < 0 || b < 0)
        return;
    const std::int32_t ra = root(a);
    const std::int32_t rb = root(b);
    if (ra == rb || m_isFixed[static_cast<std::size_t>(ra)] ||
        m_isFixed[static_cast<std::size_t>(rb)])
        return;
    // Positions keep their order through every renumbering, so the lower current position
    // is the lower root.
    m_parent[static_cast<std::size_t>(std::max(ra, rb))] = std::min(ra, rb);
}

void ParameterStructure::Changes::apply(ParameterStructure& structure)
{
    std::vector<std::int32_t> renumbered(m_parent.size(), Fixed);
    std::int32_t count = 0;
    for (std::size_t p = 0; p < m_parent.size(); ++p) {
        if (m_parent[p] == static_cast<std::int32_t>(p) && !m_isFixed[p])
            renumbered[p] = count++;
    }
    for (const ParameterEntry& entry : structure.m_entries) {
        const auto cell = static_cast<std::size_t>(entry.cell);
        const std::int32_t position = structure.m_index[cell];
        if (position < 0)
            continue;
        const auto r = static_cast<std::size_t>(root(position));
        if (m_isFixed[r])
            structure.m_fixed[cell] = m_value[r];
        structure.m_index[cell] = renumbered[r];
    }
    structure.m_numFree = count;
}

int ParameterStructure::residualizationSite() const
{
    int site = 1;
    bool found = false;
    for (const ParameterEntry& entry : m_entries) {
        if (entry.year1 == entry.year2 || m_index[static_cast<std::size_t>(entry.cell)] < 0) {
            continue;
        }
        if (entry.family == ParameterFamily::Lambda) {
            return m_siteCount - 1;
        }
        if (entry.family == ParameterFamily::Phi) {
            site = found ? std::max(site, entry.site) : entry.site;
            found = true;
        }
    }
    return site;
}

} // namespace rivulet
