#pragma once

#include "rivulet/data/ReleasesControllerI.h"

#include <QHash>

namespace rivulet {

// Releases without a database, for simulated data. The id of a release is its position.
// releaseSiteId and releaseYearId answer the release's site and year positions, which are
// the ids the counts-file sites and years controllers give their items; an unknown id answers
// UnknownRelease. Starts empty; refresh() does nothing.
class CountsFileReleasesController : public ReleasesControllerI
{
public:
    static constexpr int UnknownRelease = -1;

    void refresh() override {}
    int count() const override { return m_ids.size(); }
    QList<int> ids() const override { return m_ids; }
    int releaseSiteId(int releaseId) const override;
    int releaseYearId(int releaseId) const override;
    ReleasePos indexOf(ReleaseId release) const override
    {
        return ReleasePos{m_ids.indexOf(release.value)};
    }
    QStringList labels() const override { return m_labels; }
    QStringList siteNames() const override { return m_siteNames; }
    QList<int> years() const override { return m_years; }

    // Appends a release at site position sitePos (named siteName) in year position
    // yearPos (calendar year year); returns its id.
    int addRelease(int sitePos, const QString& siteName, int yearPos, int year);
    void clear();

private:
    QList<int> m_ids;
    QStringList m_labels;
    QStringList m_siteNames;
    QList<int> m_years;
    QHash<int, int> m_sitePositions;
    QHash<int, int> m_yearPositions;
    int m_siteDefault = UnknownRelease;
    int m_yearDefault = UnknownRelease;
};

} // namespace rivulet
