#include "rivulet/results/PerformanceMeasureLayout.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/summary/ReleaseSummary.h"

namespace rivulet {

namespace {
// The down-river table starts from the paths into the first site below the first release
// site.
constexpr int FirstDetectionSite = 1;
} // namespace

PerformanceMeasureLayout::PerformanceMeasureLayout(const ReleasesControllerI& releases,
                                                   const SitesControllerI& sites,
                                                   const YearsControllerI& years,
                                                   const EquatingScheme& modelKey,
                                                   const ReleaseSummary& summary)
    : summary_(summary), modelKey_(modelKey), siteNames_(sites.shortNames()),
      siteLongNames_(sites.longNames()), yearNames_(years.yearLabels())
{
    for (int id : releases.ids()) {
        releaseSites_.push_back(sites.indexOf(releases.releaseSiteId(id)));
        releaseYears_.push_back(years.indexOf(releases.releaseYearId(id)));
    }
}

int PerformanceMeasureLayout::releaseSite(int k) const
{
    return k >= 0 && k < releaseCount() ? releaseSites_[static_cast<std::size_t>(k)] : -1;
}

int PerformanceMeasureLayout::releaseYear(int k) const
{
    return k >= 0 && k < releaseCount() ? releaseYears_[static_cast<std::size_t>(k)] : -1;
}

QString PerformanceMeasureLayout::ageLabel(int a) const
{
    const QString year = yearNames_.value(a);
    switch (a) {
    case 0:
        return QStringLiteral("Sub-Yearlings (") + year + QStringLiteral(")");
    case 1:
        return QStringLiteral("Yearlings (") + year + QStringLiteral(")");
    default:
        return QString::number(a) + QStringLiteral("-Year-Olds (") + year + QStringLiteral(")");
    }
}

QString PerformanceMeasureLayout::releaseLabel(int k) const
{
    return siteNames_.value(releaseSite(k)) + QStringLiteral(" ") + ageLabel(releaseYear(k));
}

bool PerformanceMeasureLayout::contributes(int k) const
{
    if (k == 0)
        return true;
    const bool sameSite = releaseSite(k) == releaseSite(0);
    const bool sameYear = releaseYear(k) == releaseYear(0);
    switch (modelKey_.survivalCode) {
    case EquatingScheme::AllReleases:
        return true;
    case EquatingScheme::SameReleaseSite:
        return sameSite;
    case EquatingScheme::SameReleaseYear:
        return sameYear;
    case EquatingScheme::Unique:
        return sameSite && sameYear;
    default:
        return false;
    }
}

std::vector<PerformanceMeasureLayout::DownRiverRow> PerformanceMeasureLayout::downRiverRows() const
{
    std::vector<DownRiverRow> rows;
    for (int k = 0; k < releaseCount(); ++k) {
        const int releaseYear = this->releaseYear(k);
        if (releaseYear < 0)
            continue;
        const TransitionTable& cells = summary_.transitionCells(ReleasePos{k});
        bool first = true;
        for (int y = releaseYear; y < yearCount(); ++y) {
            const auto it = cells.find(PathKey{FirstDetectionSite, releaseYear, y});
            if (it == cells.end() || it->second.exempt)
                continue;
            rows.push_back(DownRiverRow{k, y, first});
            first = false;
        }
    }
    return rows;
}

} // namespace rivulet
