#include "rivulet/filesource/CountsFileReleasesController.h"

namespace rivulet {

int CountsFileReleasesController::releaseSiteId(int releaseId) const
{
    return m_sitePositions.value(releaseId, m_siteDefault);
}

int CountsFileReleasesController::releaseYearId(int releaseId) const
{
    return m_yearPositions.value(releaseId, m_yearDefault);
}

int CountsFileReleasesController::addRelease(int sitePos, const QString& siteName, int yearPos,
                                             int year)
{
    const int id = m_ids.size();
    m_ids.append(id);
    m_labels.append(siteName + QLatin1Char(' ') + QString::number(year));
    m_siteNames.append(siteName);
    m_years.append(year);
    m_sitePositions.insert(id, sitePos);
    m_yearPositions.insert(id, yearPos);
    return id;
}

void CountsFileReleasesController::clear()
{
    m_ids.clear();
    m_labels.clear();
    m_siteNames.clear();
    m_years.clear();
    m_sitePositions.clear();
    m_yearPositions.clear();
}

} // namespace rivulet
