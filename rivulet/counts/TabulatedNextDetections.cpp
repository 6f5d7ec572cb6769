#include "rivulet/counts/TabulatedNextDetections.h"

namespace rivulet {

bool TabulatedNextDetections::restoreTables(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return false;
    NextDetectionTables tables;
    if (!tables.fromBytes(bytes))
        return false;
    m_tables.swap(tables);
    return true;
}

const CountMatrix& TabulatedNextDetections::releaseNextCounts(ReleaseId release) const
{
    const auto* counts = m_tables.findRelease(release.value);
    return counts ? counts->next : emptyMatrix();
}

const CountMatrix& TabulatedNextDetections::releaseRemovedCounts(ReleaseId release) const
{
    const auto* counts = m_tables.findRelease(release.value);
    return counts ? counts->removed : emptyMatrix();
}

int TabulatedNextDetections::releaseNotSeen(ReleaseId release) const
{
    const auto* counts = m_tables.findRelease(release.value);
    return counts ? counts->notSeen : 0;
}

const CountMatrix& TabulatedNextDetections::nextCounts(ReleaseId release, int sitePos,
                                                       int yearPos) const
{
    const auto* counts = m_tables.findGroup(release.value, sitePos, yearPos);
    return counts ? counts->next : emptyMatrix();
}

const CountMatrix& TabulatedNextDetections::removedCounts(ReleaseId release, int sitePos,
                                                          int yearPos) const
{
    const auto* counts = m_tables.findGroup(release.value, sitePos, yearPos);
    return counts ? counts->removed : emptyMatrix();
}

int TabulatedNextDetections::notSeenAgain(ReleaseId release, int sitePos, int yearPos) const
{
    const auto* counts = m_tables.findGroup(release.value, sitePos, yearPos);
    return counts ? counts->notSeenAgain : 0;
}

int TabulatedNextDetections::releaseDetections(ReleaseId release, int sitePos, int yearPos) const
{
    const auto* counts = m_tables.findRelease(release.value);
    return counts ? counts->detections.count(sitePos, yearPos) : 0;
}

int TabulatedNextDetections::releaseRemovals(ReleaseId release, int sitePos, int yearPos) const
{
    const auto* counts = m_tables.findRelease(release.value);
    return counts ? counts->detectionRemovals.count(sitePos, yearPos) : 0;
}

int TabulatedNextDetections::releaseYearFirstDetections(int releaseYearPos, int sitePos,
                                                        int yearPos) const
{
    const auto* counts = m_tables.findReleaseYear(releaseYearPos);
    return counts ? counts->detections.count(sitePos, yearPos) : 0;
}

int TabulatedNextDetections::releaseYearFirstRemovals(int releaseYearPos, int sitePos,
                                                      int yearPos) const
{
    const auto* counts = m_tables.findReleaseYear(releaseYearPos);
    return counts ? counts->removals.count(sitePos, yearPos) : 0;
}

int TabulatedNextDetections::releaseSiteFirstDetections(int releaseSitePos, int sitePos,
                                                        int yearPos) const
{
    const auto* counts = m_tables.findReleaseSite(releaseSitePos);
    return counts ? counts->detections.count(sitePos, yearPos) : 0;
}

int TabulatedNextDetections::releaseSiteFirstRemovals(int releaseSitePos, int sitePos,
                                                      int yearPos) const
{
    const auto* counts = m_tables.findReleaseSite(releaseSitePos);
    return counts ? counts->removals.count(sitePos, yearPos) : 0;
}

int TabulatedNextDetections::totalDetections(int sitePos, int yearPos) const
{
    return m_tables.total().count(sitePos, yearPos);
}

int TabulatedNextDetections::totalRemovals(int sitePos, int yearPos) const
{
    return m_tables.totalRemoved().count(sitePos, yearPos);
}

} // namespace rivulet
