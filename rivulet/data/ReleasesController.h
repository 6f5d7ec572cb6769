#pragma once

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace rivulet {

// The releases (release site x release year) of the study, read from the table "releases"
// joined with their site and year. Lists are as of the last refresh(); the write operations
// change the table only.
class ReleasesController : public ReleasesControllerI
{
public:
    explicit ReleasesController(RivuletDb& rdb = RivuletDb::instance()) : m_rdb(rdb) {}

    void refresh() override;
    int count() const override { return m_ids.size(); }
    QList<int> ids() const override { return m_ids; }
    // Read from the table at each call; -1 for an unknown release.
    int releaseSiteId(int releaseId) const override;
    int releaseYearId(int releaseId) const override;
    ReleasePos indexOf(ReleaseId release) const override
    {
        return ReleasePos{m_positions.value(release.value, -1)};
    }
    QStringList labels() const override { return m_labels; }
    QStringList siteNames() const override { return m_siteNames; }
    QList<int> years() const override { return m_years; }

    // Every release, active or not, in `sequence` order, with its label.
    QList<int> allIds() const { return m_allIds; }
    QStringList allLabels() const { return m_allLabels; }

    // The id of the release of that site and year, adding it when it is new.
    lum::Expected<int> releaseId(int siteId, int yearId);
    // After a load: releases ordered by site, then year; all take part.
    lum::Expected<void> orderReleases();
    // Each release of allIds() (as of the last refresh) gets its position in `releaseIds` as
    // active position, or -1 when it is not listed. One transaction.
    lum::Expected<void> setActiveReleases(const QList<int>& releaseIds);

private:
    lum::SqliteDb* db() const { return m_rdb.database(); }
    const lum::DbModel* model() const { return m_rdb.model(RivuletDb::Releases); }
    // "select releases.id, sites.short_name, years.year from releases join sites ... join
    // years ..." followed by `rest`.
    QString joinedSelect(const QString& rest) const;
    int columnOf(int releaseId, int column) const;

    RivuletDb& m_rdb;
    QList<int> m_ids;
    QHash<int, int> m_positions;
    QStringList m_labels;
    QStringList m_siteNames;
    QList<int> m_years;
    QList<int> m_allIds;
    QStringList m_allLabels;
};

} // namespace rivulet
