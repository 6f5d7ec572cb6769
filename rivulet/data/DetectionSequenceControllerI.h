#pragma once

#include <QList>
#include <QStringList>

namespace rivulet {

// The detection histories of the tags of each release, reduced to the active sites and
// years. The four lists of one release are parallel: entry k says that tag tagIds[k] was
// seen at site position sites[k] in year position years[k] with disposition
// dispositions[k] (the number of a Disposition). The entries of one tag are
// consecutive, in down-river order and, within a site, in year order.
class DetectionSequenceControllerI
{
public:
    virtual ~DetectionSequenceControllerI() = default;

    virtual QStringList tagIds(int releaseId) const = 0;
    virtual QList<int> sites(int releaseId) const = 0;
    virtual QList<int> years(int releaseId) const = 0;
    virtual QList<int> dispositions(int releaseId) const = 0;
};

} // namespace rivulet
