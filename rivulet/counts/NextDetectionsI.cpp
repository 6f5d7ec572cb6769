#include "rivulet/counts/NextDetectionsI.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

#include <QStringList>
#include <QTextStream>

namespace rivulet {

NextDetectionsI::NextDetectionsI(const ReleasesControllerI& releases, const SitesControllerI& sites,
                                 const YearsControllerI& years)
    : m_releases(releases), m_sites(sites), m_years(years)
{
}

NextDetectionsI::~NextDetectionsI() = default;

int NextDetectionsI::releaseSitePos(int release) const
{
    return m_sites.indexOf(m_releases.releaseSiteId(release));
}

int NextDetectionsI::releaseYearPos(int release) const
{
    return m_years.indexOf(m_releases.releaseYearId(release));
}

const CountMatrix& NextDetectionsI::emptyMatrix()
{
    static const CountMatrix empty;
    return empty;
}

void NextDetectionsI::write(QTextStream& out) const
{
    writeHeader(out);
    const QList<int> ids = m_releases.ids();
    for (const int release : ids)
        writeRelease(out, ReleaseId{release});
    out.flush();
}

void NextDetectionsI::writeHeader(QTextStream& out) const
{
    const QList<int> ids = m_releases.ids();
    out << ids.size() << ' ' << m_sites.count() << ' ' << m_years.count() << '\n';
    QStringList relSites;
    QStringList relYears;
    QStringList fish;
    for (const int release : ids) {
        relSites << QString::number(releaseSitePos(release));
        relYears << QString::number(releaseYearPos(release));
        fish << QString::number(releaseNotSeen(ReleaseId{release}) +
                                releaseNextCounts(ReleaseId{release}).sum());
    }
    out << relSites.join(QLatin1Char(' ')) << '\n';
    out << relYears.join(QLatin1Char(' ')) << '\n';
    out << fish.join(QLatin1Char(' ')) << '\n' << '\n';
}

void NextDetectionsI::writeRelease(QTextStream& out, ReleaseId release) const
{
    const int S = m_sites.count();
    const int Y = m_years.count();
    const int relSite = releaseSitePos(release.value);
    const int relYear = releaseYearPos(release.value);

    out << releaseNotSeen(release) << '\n';
    const CountMatrix& first = releaseNextCounts(release);
    for (int s = relSite + 1; s <= S - 1; ++s)
        for (int y = relYear; y <= Y - 1; ++y)
            out << first.count(s, y) << '\n';

    for (int a = relSite + 1; a <= S - 2; ++a) {
        for (int b = relYear; b <= Y - 1; ++b) {
            out << notSeenAgain(release, a, b) << '\n';
            const CountMatrix& next = nextCounts(release, a, b);
            for (int s = a + 1; s <= S - 1; ++s)
                for (int y = b; y <= Y - 1; ++y)
                    out << next.count(s, y) << ' ' << '\n';
        }
    }
}

} // namespace rivulet
