#pragma once

#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesControllerI.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace rivulet {

class SiteCatalogI;

// The detection and release sites of the study, read from the table "sites". Lists are as of
// the last refresh(); the write operations change the table only.
//
// Sites that share the last active position are shown once, as the most upstream of them,
// with " & downstream" added to its short name.
class SitesController : public SitesControllerI
{
public:
    static constexpr const char* downstreamSuffix = " & downstream";

    // `catalog` (borrowed) gives the down-river order after a load.
    explicit SitesController(const SiteCatalogI& catalog, RivuletDb& rdb = RivuletDb::instance())
        : m_catalog(catalog), m_rdb(rdb)
    {
    }

    void refresh() override;
    int count() const override { return m_ids.size(); }
    QList<int> ids() const override { return m_ids; }
    QStringList longNames() const override { return m_longNames; }
    QStringList shortNames() const override { return m_shortNames; }
    int indexOf(int siteId) const override { return m_positions.value(siteId, -1); }

    // Every site, active or not, in down-river (`sequence`) order.
    QList<int> allIds() const { return m_allIds; }

    // The id of the site with this short name, adding the site (its names and its
    // configuration identifier as `code`) when it is new.
    lum::Expected<int> siteId(const QString& code, const QString& shortName,
                              const QString& longName);

    // After a load: sequence and active position of every site from the catalog's down-river
    // order, so every site takes part.
    lum::Expected<void> orderSites();
    // Every site takes part again, in down-river order.
    lum::Expected<void> resetActive();
    // Makes the site at active `position` the last one: it and every site downstream of it
    // share that position.
    lum::Expected<void> setLastSite(int position);
    // Takes the site out of the analysis; later sites (of ids() as of the last refresh) move up
    // one position. One transaction.
    lum::Expected<void> removeSite(int siteId);

private:
    lum::SqliteDb* db() const { return m_rdb.database(); }
    const lum::DbModel* model() const { return m_rdb.model(RivuletDb::Sites); }
    QString column(int i) const;
    void readActive();
    void readAll();

    const SiteCatalogI& m_catalog;
    RivuletDb& m_rdb;
    QList<int> m_ids;
    QHash<int, int> m_positions;
    QStringList m_shortNames;
    QStringList m_longNames;
    QList<int> m_allIds;
};

} // namespace rivulet
