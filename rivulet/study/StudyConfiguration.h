#pragma once

#include "lum/core/Expected.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace rivulet {

class CohortsController;
class ReleasesController;
class RivuletDb;
class SitesController;
class Study;
class YearsController;

// The user's choices of what takes part in the analysis of a database study: which detection
// sites (a site removed, or made the last one so that every site below it is merged into it),
// which migration years, which releases and which cohort. The configuration windows and the
// headless tool's "sites", "years", "releases" and "cohort" commands make the same changes
// through this class, so both refuse the same edits.
//
// Positions are those of the controllers as of their last refresh: run the study's update
// before an edit, and again after it to re-derive the detection sequences.
//
//     StudyConfiguration config(releases, sites, years, rdb);
//     if (config.canRemoveSite(2))
//         config.removeSite(2);
//     ... then StudyActions::update()
class StudyConfiguration
{
public:
    // One site of the table "sites", active or not, in down-river order.
    struct SiteState
    {
        QString code;
        QString shortName;
        QString longName;
        // -1: removed from the analysis.
        int activePosition = -1;
        // Shares the last active position with a site upstream of it.
        bool merged = false;
        bool releaseSite = false;
    };
    // One release of the table "releases", active or not, in `sequence` order.
    struct ReleaseState
    {
        int id = -1;
        QString label;
        bool active = false;
    };

    // Every object is borrowed and must outlive this one.
    StudyConfiguration(ReleasesController& releases, SitesController& sites, YearsController& years,
                       RivuletDb& rdb);
    // The configuration of a database study (not of a counts file, whose data set is fixed).
    explicit StudyConfiguration(Study& study);

    // Sites and years ---------------------------------------------------------------------

    // Active position of the site with this short name as the views show it (the last one may
    // end in " & downstream"), or of the site with this configuration code; -1 when neither.
    int sitePosition(const QString& nameOrCode) const;
    // Active position of the year with this label; -1 when it is not active.
    int yearPosition(const QString& label) const;
    // The site at that position is the release site of an active release.
    bool isReleaseSite(int position) const;
    bool isReleaseYear(int position) const;
    // Release sites and release years cannot be taken out; only a site after the first
    // detection site can be made the last one.
    bool canRemoveSite(int position) const;
    bool canMakeLastSite(int position) const;
    bool canRemoveYear(int position) const;

    // Each changes nothing, and says why, for an edit the can-functions refuse or a failed
    // write.
    lum::Expected<void> removeSite(int position);
    lum::Expected<void> setLastSite(int position);
    lum::Expected<void> removeYear(int position);
    // Every site and year takes part again, in down-river and chronological order.
    lum::Expected<void> reset();

    // Every site in down-river order, with its state.
    QList<SiteState> siteStates() const;

    // Releases and cohorts ----------------------------------------------------------------

    QList<ReleaseState> releaseStates() const;
    // The ids of the releases that take part, in their active order.
    QList<int> activeReleaseIds() const;
    // The ids of the releases that are to take part, in the order given: each gets its
    // position as active sequence, every other release -1.
    lum::Expected<void> setActiveReleases(const QList<int>& releaseIds);
    // Includes or excludes the release with that label ("site year"), keeping the order of
    // the others; the included release takes its place in `sequence` order. An input error for
    // an unknown label.
    lum::Expected<void> includeRelease(const QString& label);
    lum::Expected<void> excludeRelease(const QString& label);

    // Cohort numbers in ascending order and the one the analysis is restricted to (0: none).
    QList<int> cohortNumbers() const;
    int activeCohortNumber() const;
    // Restricts the analysis to that cohort (an input error for an unknown number), or lifts
    // the restriction.
    lum::Expected<void> setCohort(int cohortNumber);
    lum::Expected<void> clearCohort();

private:
    lum::Expected<void> setReleaseActive(const QString& label, bool active);

    ReleasesController& m_releases;
    SitesController& m_sites;
    YearsController& m_years;
    RivuletDb& m_rdb;
};

} // namespace rivulet
