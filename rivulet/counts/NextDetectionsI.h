#pragma once

#include "rivulet/counts/CountMatrix.h"
#include "rivulet/data/ReleaseKeys.h"

class QTextStream;

namespace rivulet {

class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// Where the fish of each release were seen next: the counts the likelihood reads.
//
// Releases are named by their id (ReleaseId) as the releases controller gives it; sites and years
// by their positions in the sites and years controllers. A "group" (release, sitePos, yearPos)
// holds the fish of the release detected at that site in that year, and where they were
// detected next.
//
// Per release:
//   releaseNextCounts   fish whose first detection was at (s, y)
//   releaseRemovedCounts  those of them whose first detection ended their history
//   releaseNotSeen      fish never detected
// Per group (release, a, b):
//   nextCounts          fish seen at (a, b) whose next detection was at (s, y)
//   removedCounts       those whose next detection ended their history
//   notSeenAgain        fish seen at (a, b) and never again (0 for a group without entry)
// Pooled, as single elements:
//   releaseDetections / releaseRemovals   every counted detection of the release's fish at
//                                         (s, y), first or later
//   releaseYearFirst... / releaseSiteFirst...  first detections pooled over the releases
//                                         of one release-year / release-site position
//   totalDetections / totalRemovals       every counted detection of all releases
//
// A matrix asked for a release or group that has none is an all-zero empty matrix (every
// count() answers 0). The controllers are borrowed and must outlive the object.
class NextDetectionsI
{
public:
    NextDetectionsI(const ReleasesControllerI& releases, const SitesControllerI& sites,
                    const YearsControllerI& years);
    NextDetectionsI(const NextDetectionsI&) = delete;
    NextDetectionsI& operator=(const NextDetectionsI&) = delete;
    virtual ~NextDetectionsI();

    virtual const CountMatrix& releaseNextCounts(ReleaseId release) const = 0;
    virtual const CountMatrix& releaseRemovedCounts(ReleaseId release) const = 0;
    virtual int releaseNotSeen(ReleaseId release) const = 0;
    virtual const CountMatrix& nextCounts(ReleaseId release, int sitePos, int yearPos) const = 0;
    virtual const CountMatrix& removedCounts(ReleaseId release, int sitePos, int yearPos) const = 0;
    virtual int notSeenAgain(ReleaseId release, int sitePos, int yearPos) const = 0;
    virtual int releaseDetections(ReleaseId release, int sitePos, int yearPos) const = 0;
    virtual int releaseRemovals(ReleaseId release, int sitePos, int yearPos) const = 0;
    virtual int releaseYearFirstDetections(int releaseYearPos, int sitePos, int yearPos) const = 0;
    virtual int releaseYearFirstRemovals(int releaseYearPos, int sitePos, int yearPos) const = 0;
    virtual int releaseSiteFirstDetections(int releaseSitePos, int sitePos, int yearPos) const = 0;
    virtual int releaseSiteFirstRemovals(int releaseSitePos, int sitePos, int yearPos) const = 0;
    virtual int totalDetections(int sitePos, int yearPos) const = 0;
    virtual int totalRemovals(int sitePos, int yearPos) const = 0;
    // Recomputes every table from the source.
    virtual void update() = 0;
    // Writes every count in the next-detections file format (read back by
    // SimulatedDataLoader and NextDetectionsFromFile::read). Uses only the per-release and
    // per-group counts, so it works for every source. The format, whole numbers only:
    //   header:  "R S Y"; the R release-site positions; the R release-year positions; the R
    //            fish numbers (never seen + first detections); a blank line;
    //   counts:  per release in order: releaseNotSeen; releaseNextCounts for
    //            s = relSite+1 .. S-1 (outer), y = relYear .. Y-1 (inner), one per line; then
    //            for every group a = relSite+1 .. S-2, b = relYear .. Y-1: notSeenAgain on its
    //            own line and nextCounts for s = a+1 .. S-1, y = b .. Y-1, each followed by a
    //            blank and a line end.
    virtual void write(QTextStream& out) const;

    const ReleasesControllerI& releasesController() const { return m_releases; }
    const SitesControllerI& sitesController() const { return m_sites; }
    const YearsControllerI& yearsController() const { return m_years; }

protected:
    // Position of the release's site / year in the sites / years controller (-1 if inactive).
    int releaseSitePos(int release) const;
    int releaseYearPos(int release) const;
    // The all-zero answer for a release or group without a matrix.
    static const CountMatrix& emptyMatrix();

    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;

private:
    void writeHeader(QTextStream& out) const;
    void writeRelease(QTextStream& out, ReleaseId release) const;
};

} // namespace rivulet
