#include "rivulet/filesource/SimulatedDataLoader.h"

#include "lum/core/ParseError.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/filesource/CountsTokenizer.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"

#include <QStringList>

#include <cstdint>
#include <limits>
#include <vector>

namespace rivulet {

namespace {

QList<int> readLine(CountsTokenizer& tokens, int n, int min, int max)
{
    QList<int> values;
    for (int i = 0; i < n; ++i)
        values.append(tokens.nextInt(min, max));
    return values;
}

} // namespace

SimulatedDataLoader::SimulatedDataLoader(CountsFileReleasesController& releases,
                                         CountsFileSitesController& sites,
                                         CountsFileYearsController& years,
                                         NextDetectionsFromFile& counts)
    : m_releases(releases), m_sites(sites), m_years(years), m_counts(counts)
{
}

void SimulatedDataLoader::load(QTextStream& in)
{
    CountsTokenizer tokens(in);
    const int R = tokens.nextInt(0, std::numeric_limits<int>::max());
    const int S = tokens.nextInt(0, MaxDimension);
    const int Y = tokens.nextInt(0, MaxDimension);
    QList<int> relSites;
    for (int r = 0; r < R; ++r) {
        relSites.append(tokens.nextInt(0, S - 1));
        // A release at the final site has no site below it to be seen at.
        if (relSites.last() == S - 1)
            throw lum::ParseError(QStringLiteral("a release at the final site, below which no "
                                                 "fish can be seen; expected a site from 0 to %1")
                                      .arg(S - 2),
                                  tokens.line(), tokens.column(), QString::number(S - 1));
    }
    const QList<int> relYears = readLine(tokens, R, 0, Y - 1);
    // The fish of each release, with where they stand, to be checked against the counts.
    struct FishNumber
    {
        int value;
        int line;
        int column;
    };
    std::vector<FishNumber> fish;
    for (int r = 0; r < R; ++r) {
        const int value = tokens.nextInt(0, std::numeric_limits<int>::max());
        fish.push_back({value, tokens.line(), tokens.column()});
    }

    CountsFileSitesController sites;
    QStringList shortNames;
    QStringList longNames;
    for (int s = 0; s < S; ++s) {
        shortNames << QStringLiteral("S%1").arg(s + 1);
        longNames << QStringLiteral("Simulated site %1").arg(s + 1);
    }
    sites.setSites(shortNames, longNames);

    CountsFileYearsController years;
    QList<int> calendarYears;
    for (int y = 0; y < Y; ++y)
        calendarYears << CountsFileYearsController::SimulatedFirstYear + y;
    years.setYears(calendarYears);

    CountsFileReleasesController releases;
    for (int r = 0; r < R; ++r) {
        const int site = relSites.at(r);
        const int year = relYears.at(r);
        releases.addRelease(site, shortNames.at(site), year, calendarYears.at(year));
    }

    NextDetectionsFromFile counts(releases, sites, years);
    counts.read(tokens);
    tokens.expectEnd();
    const QList<int> ids = releases.ids();
    for (int r = 0; r < R; ++r) {
        const ReleaseId id{ids.at(r)};
        const std::int64_t counted = counts.releaseNotSeen(id) + counts.releaseNextCounts(id).sum();
        if (counted != fish[static_cast<std::size_t>(r)].value) {
            const FishNumber& number = fish[static_cast<std::size_t>(r)];
            throw lum::ParseError(
                QStringLiteral("the fish number of release %1 does not match its counts (%2)")
                    .arg(r + 1)
                    .arg(counted),
                number.line, number.column, QString::number(number.value));
        }
    }

    // Nothing below throws: the data set changes all at once or not at all.
    m_sites = sites;
    m_years = years;
    m_releases = releases;
    m_counts.swapCounts(counts);
}

void SimulatedDataLoader::clear()
{
    m_sites.clear();
    m_years.clear();
    m_releases.clear();
    NextDetectionsFromFile none(m_releases, m_sites, m_years);
    m_counts.swapCounts(none);
}

} // namespace rivulet
