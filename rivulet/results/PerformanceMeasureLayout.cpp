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
    : m_summary(summary), m_modelKey(modelKey), m_siteNames(sites.shortNames()),
      m_siteLongNames(sites.longNames()), m_yearNames(years.yearLabels())
{
    for (int id : releases.ids()) {
        m_releaseSites.push_back(sites.indexOf(releases.releaseSiteId(id)));
        m_releaseYears.push_back(years.indexOf(releases.releaseYearId(id)));
    }
}

int PerformanceMeasureLayout::releaseSite(int k) const
{
    return k >= 0 && k < releaseCount() ? m_releaseSites[static_cast<std::size_t>(k)] : -1;
}

int PerformanceMeasureLayout::releaseYear(int k) const
{
    return k >= 0 && k < releaseCount() ? m_releaseYears[static_cast<std::size_t>(k)] : -1;
}

QString PerformanceMeasureLayout::ageLabel(int a) const
{
    const QString year = m_yearNames.value(a);
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
    return m_siteNames.value(releaseSite(k)) + QStringLiteral(" ") + ageLabel(releaseYear(k));
}

bool PerformanceMeasureLayout::contributes(int k) const
{
    if (k == 0)
        return true;
    const bool sameSite = releaseSite(k) == releaseSite(0);
    const bool sameYear = releaseYear(k) == releaseYear(0);
    switch (m_modelKey.survivalCode) {
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
        const TransitionTable& cells = m_summary.transitionCells(ReleasePos{k});
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
