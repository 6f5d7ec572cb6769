#pragma once

#include <QStringList>

namespace rivulet {

// What the sites controller needs to know of the river network: the down-river order of the
// sites that occur in the data. The sites configuration answers it in the program; tests give
// fixed orders.
class SiteCatalogI
{
public:
    virtual ~SiteCatalogI() = default;

    // The given site codes (identifiers of the configuration) arranged so that every site
    // comes before each site downstream of it, release sites first. Codes the catalog does
    // not know are left out.
    virtual QStringList downstreamOrder(const QStringList& codes) const = 0;
};

} // namespace rivulet
