#include "rivulet/results/ReleasedFish.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"

namespace rivulet {

qint64 ReleasedFish::count(const NextDetectionsI& counts)
{
    qint64 fish = 0;
    for (int id : counts.releasesController().ids()) {
        const ReleaseId release{id};
        fish += counts.releaseNotSeen(release) + counts.releaseNextCounts(release).sum();
    }
    return fish;
}

} // namespace rivulet
