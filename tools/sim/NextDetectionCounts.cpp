#include "tools/sim/NextDetectionCounts.h"

#include "tools/sim/PositionMap.h"

#include <QStringList>
#include <QTextStream>

namespace rivulet::sim {

NextDetectionCounts::NextDetectionCounts(int releases, int sites, int firstDetectionSite, int years)
    : m_releases(releases), m_sites(sites), m_offset(firstDetectionSite),
      m_detectionSites(sites - firstDetectionSite), m_years(years), m_notSeen(releases, 0),
      m_first(releases * years * m_detectionSites, 0),
      m_next(releases * m_detectionSites * years * m_detectionSites * years, 0),
      m_notSeenAgain(releases * m_detectionSites * years, 0)
{
}

// Release sites above the first detection site never hold a detection, so
// their cells are zero without being stored.
int NextDetectionCounts::first(int r, int s, int y) const
{
    return s < m_offset ? 0 : m_first.at(firstIndex(r, s, y));
}

int NextDetectionCounts::next(int r, int a, int b, int s, int y) const
{
    return a < m_offset || s < m_offset ? 0 : m_next.at(nextIndex(r, a, b, s, y));
}

int NextDetectionCounts::notSeenAgain(int r, int a, int b) const
{
    return a < m_offset ? 0 : m_notSeenAgain.at(groupIndex(r, a, b));
}

void NextDetectionCounts::addFish(int release, const Entry* entries, int count)
{
    if (count == 0) {
        ++m_notSeen[release];
        return;
    }
    ++m_first[firstIndex(release, entries[0].site, entries[0].year)];
    // A detection that ends the history has no next detection; what the fish
    // did afterwards is not part of the history.
    for (int i = 0; i < count && !entries[i].ends; ++i) {
        const Entry& here = entries[i];
        if (i + 1 == count)
            ++m_notSeenAgain[groupIndex(release, here.site, here.year)];
        else
            ++m_next[nextIndex(release, here.site, here.year, entries[i + 1].site,
                               entries[i + 1].year)];
    }
}

lum::Expected<void> NextDetectionCounts::write(QTextStream& out,
                                               const QVector<SimRelease>& releases,
                                               const PositionMap& positions) const
{
    const int S = positions.siteCount();
    const int Y = positions.yearCount();
    if (positions.sitePosition(m_sites - 1) != S - 1)
        return lum::Error(lum::JobError::NoData, "no fish reached the final site, so the counts "
                                                 "would not match the export");
    QStringList relSites, relYears, fish;
    for (int r = 0; r < m_releases; ++r) {
        relSites << QString::number(positions.sitePosition(releases.at(r).site));
        relYears << QString::number(positions.yearPosition(releases.at(r).year));
        int total = m_notSeen.at(r);
        for (int i = 0; i < m_detectionSites * m_years; ++i)
            total += m_first.at(r * m_detectionSites * m_years + i);
        fish << QString::number(total);
    }
    out << m_releases << ' ' << S << ' ' << Y << '\n'
        << relSites.join(' ') << '\n'
        << relYears.join(' ') << '\n'
        << fish.join(' ') << "\n\n";
    for (int r = 0; r < m_releases; ++r) {
        const int rs = positions.sitePosition(releases.at(r).site);
        const int ry = positions.yearPosition(releases.at(r).year);
        out << m_notSeen.at(r) << '\n';
        for (int s = rs + 1; s < S; ++s)
            for (int y = ry; y < Y; ++y)
                out << first(r, positions.siteAt(s), positions.yearAt(y)) << '\n';
        for (int a = rs + 1; a < S - 1; ++a) {
            for (int b = ry; b < Y; ++b) {
                const int pa = positions.siteAt(a), pb = positions.yearAt(b);
                out << notSeenAgain(r, pa, pb) << '\n';
                for (int s = a + 1; s < S; ++s)
                    for (int y = b; y < Y; ++y)
                        out << next(r, pa, pb, positions.siteAt(s), positions.yearAt(y)) << " \n";
            }
        }
    }
    // A failed write is told by the caller, which knows the file.
    return {};
}

} // namespace rivulet::sim
