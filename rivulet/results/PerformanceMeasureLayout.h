#pragma once

#include "rivulet/model/EquatingScheme.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace rivulet {

class ReleaseSummary;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// What the performance measure report and its CSV form list, and how they name it: the
// labels of age classes and releases, the releases whose survival and movement parameters
// are joined with the first release's under the model, and the rows of the down-river
// survival table. Everything borrowed must outlive the layout.
class PerformanceMeasureLayout
{
public:
    struct DownRiverRow
    {
        int release = 0;
        int year = 0;
        // The release's label is written on its first row only.
        bool firstOfRelease = false;
    };

    PerformanceMeasureLayout(const ReleasesControllerI& releases, const SitesControllerI& sites,
                             const YearsControllerI& years, const EquatingScheme& modelKey,
                             const ReleaseSummary& summary);

    int releaseCount() const { return static_cast<int>(m_releaseSites.size()); }
    int siteCount() const { return m_siteNames.size(); }
    int yearCount() const { return m_yearNames.size(); }
    // Site and year positions of release k (-1 when not active).
    int releaseSite(int k) const;
    int releaseYear(int k) const;

    const QStringList& siteNames() const { return m_siteNames; }
    const QStringList& siteLongNames() const { return m_siteLongNames; }
    const QStringList& yearNames() const { return m_yearNames; }

    // "Sub-Yearlings (2008)", "Yearlings (2009)", "2-Year-Olds (2010)", ...
    QString ageLabel(int a) const;
    // The short name of the release site, a blank and the age label of the release year.
    QString releaseLabel(int k) const;
    // Whether release k shares its survival and movement parameters with the first release;
    // the first release always does.
    bool contributes(int k) const;
    // One row per release and year from its release year on in which the release's fish
    // took a path from the first reach that the release summary keeps (not exempt).
    std::vector<DownRiverRow> downRiverRows() const;

private:
    const ReleaseSummary& m_summary;
    EquatingScheme m_modelKey;
    QStringList m_siteNames;
    QStringList m_siteLongNames;
    QStringList m_yearNames;
    std::vector<int> m_releaseSites;
    std::vector<int> m_releaseYears;
};

} // namespace rivulet
