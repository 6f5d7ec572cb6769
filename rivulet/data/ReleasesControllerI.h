#pragma once

#include "rivulet/data/ControllerI.h"
#include "rivulet/data/ReleaseKeys.h"

#include <QList>
#include <QStringList>

namespace rivulet {

// The releases (release site x release year) in the analysis.
class ReleasesControllerI : public ControllerI
{
public:
    // The site id of the release's release site; pass it to SitesControllerI::indexOf to get
    // the release's site position.
    virtual int releaseSiteId(int releaseId) const = 0;
    // The year id of the release's release year; pass it to YearsControllerI::indexOf.
    virtual int releaseYearId(int releaseId) const = 0;
    // Position of the release in ids(); invalid when it is not active.
    virtual ReleasePos indexOf(ReleaseId release) const = 0;
    // For each active release: site short name, a blank and the year ("XYZ 2008").
    virtual QStringList labels() const = 0;
    // Short names of the active releases' sites.
    virtual QStringList siteNames() const = 0;
    // Calendar years of the active releases.
    virtual QList<int> years() const = 0;
};

} // namespace rivulet
