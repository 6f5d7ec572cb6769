#pragma once

#include "rivulet/data/ControllerI.h"

#include <QStringList>

namespace rivulet {

// The active sites in down-river order: release sites first, the last position being the
// final site (it stands for itself and everything merged below it).
class SitesControllerI : public ControllerI
{
public:
    virtual QStringList longNames() const = 0;
    // The last name may end in " & downstream" when several sites share the last position.
    virtual QStringList shortNames() const = 0;
    // Position of the site in ids(), or -1 when it is not active.
    virtual int indexOf(int siteId) const = 0;
};

} // namespace rivulet
