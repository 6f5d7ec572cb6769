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
    int count() const override { return ids_.size(); }
    QList<int> ids() const override { return ids_; }
    QStringList longNames() const override { return longNames_; }
    QStringList shortNames() const override { return shortNames_; }
    int indexOf(int siteId) const override { return ids_.indexOf(siteId); }

    // Replaces the sites; the lists are parallel (longNames padded with the short names).
    void setSites(const QStringList& shortNames, const QStringList& longNames = QStringList());
    void clear();

private:
    QList<int> ids_;
    QStringList shortNames_;
    QStringList longNames_;
};

} // namespace rivulet
