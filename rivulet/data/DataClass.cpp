#include "rivulet/data/DataClass.h"

#include "rivulet/data/ReleasesControllerI.h"

namespace rivulet {

DataClass dataClassOf(const ReleasesControllerI& releases)
{
    const QList<int> ids = releases.ids();
    bool severalSites = false;
    bool severalYears = false;
    if (!ids.isEmpty()) {
        const int firstSite = releases.releaseSiteId(ids.first());
        const int firstYear = releases.releaseYearId(ids.first());
        for (const int id : ids) {
            severalSites = severalSites || releases.releaseSiteId(id) != firstSite;
            severalYears = severalYears || releases.releaseYearId(id) != firstYear;
        }
    }
    if (severalSites)
        return severalYears ? DataClass::SeveralSitesSeveralYears : DataClass::SeveralSitesOneYear;
    return severalYears ? DataClass::OneSiteSeveralYears : DataClass::OneSiteOneYear;
}

} // namespace rivulet
