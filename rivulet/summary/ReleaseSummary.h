#pragma once

#include "rivulet/data/DataClass.h"
#include "rivulet/data/ReleaseKeys.h"
#include "rivulet/summary/SummaryIndicators.h"
#include "rivulet/summary/SummaryTables.h"

#include <QList>

#include <memory>

namespace rivulet {

class NextDetectionsI;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;
struct SummaryState;

// Decides, before any model is fitted, which survival, movement and capture parameters the
// data can inform. From the next-detection counts it builds, for every release, transition
// cells (site s, year y1 at site s-1, year y2 at site s) and capture cells (year, site),
// marks the cells whose parameters must be fixed at 0 or 1, pools the cells over releases
// and derives the estimability indicators that choose the models "Fit All Models" fits.
//
// Releases are addressed by their position in the releases controller; sites and years by
// their positions. A release whose site or year is not active, or whose site is the final
// one, has empty tables (it has no parameters).
//
// Capture cells of a release: one at the release point (release year, release site) and
// one at every point its transition cells arrive at, i.e. every (y, s) with
// s = relSite+1 .. S-1 and y = relYear .. Y-1. So every chain of transition cells runs from
// capture cell to capture cell, and the release point's leaving cells are the release's
// first-reach cells (its fish are the release's first detections).
//
// Groupings (data class 3 only: several release sites and several release years). The year
// grouping pools the releases of one release-year position, the site grouping those of one
// release-site position. Each group is built exactly as the pooled tables are built from
// all releases, restricted to the group's releases:
//  - transition cells: one for every key of a cell of the group's releases, nextCount the
//    sum of those cells' nextCount (built with the pooled transition cells, before any mark);
//  - capture cells: one for every capture key of the group's releases; count and removals
//    the sums of releaseDetections / releaseRemovals over the group's releases (the group's
//    share of totalDetections / totalRemovals); arriving and leaving cells as in the pooled
//    table;
//  - marks: an empty pooled hold-over, a pass-through site and a certain final reach mark
//    the group cells with that key like the release cells; a group cell becomes exempt when
//    every release of the group has no cell with its key or has it exempt;
//  - test counts: every group cell that is not exempt gets the sum of the testCount of the
//    group's release cells with its key;
//  - each group has its own indicator, computed like a release's from its tables;
//    firstGroupEstimable is true when every year group is, secondGroupEstimable when every
//    site group is.
// Groups have no emptyHoldOver marks (like the pooled table, only releases have them).
//
// The work is split in three: SummaryTableBuilder lays out the cells, the marking stages
// (MarkingStages.h) mark them in the order update() lists, and SummaryIndicators reads the
// indicators off the marked tables.
//
// The last stage, after the certain final reach and before the indicators, is the
// observed-route check (ObservedRouteCheck). The stages before it judge cells by counts alone;
// with release sites in series (a release passes release sites below it, which detect nothing)
// and fish holding over above their first detection site, they can fix at 0 every route to a
// point where fish of the release were detected, and even the detection there, so that no
// parameter vector explains the data. The check frees those routes (clears fixedAtZero) and
// keeps every capture cell with fish free. Exemptions, test counts, pooled and group cells
// stay as they are: no fish certainly took a freed path, so it stays out of the estimability
// test. Where the earlier marks are consistent with the data the check changes nothing.
//
// The controllers and the counts are borrowed and must outlive the summary.
class ReleaseSummary
{
public:
    ReleaseSummary(const ReleasesControllerI& releases, const SitesControllerI& sites,
                   const YearsControllerI& years, const NextDetectionsI& counts);
    ReleaseSummary(const ReleaseSummary&) = delete;
    ReleaseSummary& operator=(const ReleaseSummary&) = delete;
    ~ReleaseSummary();

    // Recomputes every table, mark and indicator from the controllers and the counts.
    void update();
    // On by default; off only to compare the marks with and without the observed-route check.
    void setChecksObservedRoutes(bool on) { m_checksObservedRoutes = on; }

    DataClass dataClass() const { return m_dataClass; }

    // True when no unfixed cell without fish exists at that level of pooling.
    // False without releases: a study with nothing in it has nothing to estimate.
    bool eachReleaseEstimable() const { return releaseCount() > 0 && m_indicators.eachRelease; }
    bool firstGroupEstimable() const { return releaseCount() > 0 && m_indicators.firstGroup; }
    bool secondGroupEstimable() const { return releaseCount() > 0 && m_indicators.secondGroup; }
    bool pooledEstimable() const { return releaseCount() > 0 && pooledTables().estimable; }

    int releaseCount() const;
    // Site and year positions of the release (-1 when not active).
    int releaseSite(ReleasePos release) const;
    int releaseYear(ReleasePos release) const;
    // The release's tables; empty tables for a position out of range.
    const TransitionTable& transitionCells(ReleasePos release) const;
    const CaptureTable& captureCells(ReleasePos release) const;
    const SummaryTables& releaseTables(ReleasePos release) const;
    bool releaseEstimable(ReleasePos release) const;

    // Keys (release-year positions / release-site positions) in ascending order.
    QList<int> yearGroupKeys() const;
    QList<int> siteGroupKeys() const;
    // The group's tables and indicator; empty tables (estimable false) for an unknown key.
    const SummaryTables& yearGroup(int key) const;
    const SummaryTables& siteGroup(int key) const;

    const TransitionTable& pooledTransitionCells() const { return pooledTables().transitions; }
    const CaptureTable& pooledCaptureCells() const { return pooledTables().captures; }
    const SummaryTables& pooledTables() const;

private:
    bool isKnown(ReleasePos release) const;
    bool hasGroups() const { return m_dataClass == DataClass::SeveralSitesSeveralYears; }

    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    const NextDetectionsI& m_counts;

    DataClass m_dataClass = DataClass::OneSiteOneYear;
    // Empty until the first update().
    std::unique_ptr<SummaryState> m_state;
    SummaryIndicators m_indicators;
    bool m_checksObservedRoutes = true;
};

} // namespace rivulet
