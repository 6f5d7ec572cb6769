#include "rivulet/filesource/CountsFileReleasesController.h"

namespace rivulet {

int CountsFileReleasesController::releaseSiteId(int releaseId) const
{
    return sitePositions_.value(releaseId, siteDefault_);
}

int CountsFileReleasesController::releaseYearId(int releaseId) const
{
    return yearPositions_.value(releaseId, yearDefault_);
}

int CountsFileReleasesController::addRelease(int sitePos, const QString& siteName, int yearPos,
                                             int year)
{
    const int id = ids_.size();
    ids_.append(id);
    labels_.append(siteName + QLatin1Char(' ') + QString::number(year));
    siteNames_.append(siteName);
    years_.append(year);
    sitePositions_.insert(id, sitePos);
    yearPositions_.insert(id, yearPos);
    return id;
}

void CountsFileReleasesController::clear()
{
    ids_.clear();
    labels_.clear();
    siteNames_.clear();
    years_.clear();
    sitePositions_.clear();
    yearPositions_.clear();
}

} // namespace rivulet
