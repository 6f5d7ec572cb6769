#pragma once

#include "rivulet/data/SitesControllerI.h"

namespace rivulet {

// Sites without a database, for simulated data. The id of a site is its position, so
// indexOf(id) answers the position of every site it holds. Starts empty; refresh() does
// nothing.
class CountsFileSitesController : public SitesControllerI
{
public:
    void refresh() override {}
    int count() const override { return m_ids.size(); }
    QList<int> ids() const override { return m_ids; }
    QStringList longNames() const override { return m_longNames; }
    QStringList shortNames() const override { return m_shortNames; }
    int indexOf(int siteId) const override { return m_ids.indexOf(siteId); }

    // Replaces the sites; the lists are parallel (longNames padded with the short names).
    void setSites(const QStringList& shortNames, const QStringList& longNames = QStringList());
    void clear();

private:
    QList<int> m_ids;
    QStringList m_shortNames;
    QStringList m_longNames;
};

} // namespace rivulet
