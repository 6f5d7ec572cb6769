#pragma once

#include "rivulet/data/ReleasesControllerI.h"

#include <QHash>

namespace rivulet {

// Releases without a database, for simulated data. The id of a release is its position.
// releaseSiteId and releaseYearId answer the release's site and year positions, which are
// the ids the mock sites and years controllers give their items; an unknown id answers
// UnknownRelease. Starts empty; refresh() does nothing.
class CountsFileReleasesController : public ReleasesControllerI
{
public:
    static constexpr int UnknownRelease = -1;

    void refresh() override {}
    int count() const override { return ids_.size(); }
    QList<int> ids() const override { return ids_; }
    int releaseSiteId(int releaseId) const override;
    int releaseYearId(int releaseId) const override;
    ReleasePos indexOf(ReleaseId release) const override
    {
        return ReleasePos{ids_.indexOf(release.value)};
    }
    QStringList labels() const override { return labels_; }
    QStringList siteNames() const override { return siteNames_; }
    QList<int> years() const override { return years_; }

    // Appends a release at site position sitePos (named siteName) in year position
    // yearPos (calendar year year); returns its id.
    int addRelease(int sitePos, const QString& siteName, int yearPos, int year);
    void clear();

private:
    QList<int> ids_;
    QStringList labels_;
    QStringList siteNames_;
    QList<int> years_;
    QHash<int, int> sitePositions_;
    QHash<int, int> yearPositions_;
    int siteDefault_ = UnknownRelease;
    int yearDefault_ = UnknownRelease;
};

} // namespace rivulet
