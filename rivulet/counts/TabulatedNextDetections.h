#pragma once

#include "rivulet/counts/NextDetectionTables.h"
#include "rivulet/counts/NextDetectionsI.h"

namespace rivulet {

// Answers every count lookup of NextDetectionsI from a set of count tables; the sources
// (NextDetections, NextDetectionsFromFile) differ only in how they fill them.
class TabulatedNextDetections : public NextDetectionsI
{
public:
    using NextDetectionsI::NextDetectionsI;

    const CountMatrix& releaseNextCounts(ReleaseId release) const override;
    const CountMatrix& releaseRemovedCounts(ReleaseId release) const override;
    int releaseNotSeen(ReleaseId release) const override;
    const CountMatrix& nextCounts(ReleaseId release, int sitePos, int yearPos) const override;
    const CountMatrix& removedCounts(ReleaseId release, int sitePos, int yearPos) const override;
    int notSeenAgain(ReleaseId release, int sitePos, int yearPos) const override;
    int releaseDetections(ReleaseId release, int sitePos, int yearPos) const override;
    int releaseRemovals(ReleaseId release, int sitePos, int yearPos) const override;
    int releaseYearFirstDetections(int releaseYearPos, int sitePos, int yearPos) const override;
    int releaseYearFirstRemovals(int releaseYearPos, int sitePos, int yearPos) const override;
    int releaseSiteFirstDetections(int releaseSitePos, int sitePos, int yearPos) const override;
    int releaseSiteFirstRemovals(int releaseSitePos, int sitePos, int yearPos) const override;
    int totalDetections(int sitePos, int yearPos) const override;
    int totalRemovals(int sitePos, int yearPos) const override;

    // Every table in a compact form, and back; restoreTables is false, leaving the tables
    // as they were, when the bytes are not such a form (empty, or from another version).
    QByteArray tablesToBytes() const { return m_tables.toBytes(); }
    bool restoreTables(const QByteArray& bytes);

protected:
    NextDetectionTables m_tables;
};

} // namespace rivulet
