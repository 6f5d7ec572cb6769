#include "rivulet/summary/ReleaseSummary.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/summary/CellChecks.h"
#include "rivulet/summary/ObservedRouteCheck.h"

#include <QSet>

#include <limits>

namespace rivulet {

namespace {

const SummaryTables& noTables()
{
    static const SummaryTables none{{}, {}, false};
    return none;
}

void addTransition(TransitionTable& table, int site, int y1, int y2, int nextCount)
{
    TransitionCell cell;
    cell.site = site;
    cell.y1 = y1;
    cell.y2 = y2;
    cell.nextCount = nextCount;
    table.emplace(cell.key(), cell);
}

// Adds the cells of source that are not exempt to target, summing their counts.
void poolTransitionsInto(TransitionTable& target, const TransitionTable& source)
{
    for (const auto& [key, cell] : source) {
        if (cell.exempt)
            continue;
        auto it = target.find(key);
        if (it == target.end())
            addTransition(target, cell.site, cell.y1, cell.y2, cell.nextCount);
        else
            it->second.nextCount += cell.nextCount;
    }
}

// A capture cell at (year, site) with its arriving cells (site, y2 == year) and leaving
// cells (site + 1, y1 == year) among the cells of transitions that are not exempt.
CaptureCell makeCapture(const TransitionTable& transitions, int year, int site, int yearCount)
{
    CaptureCell capture;
    capture.year = year;
    capture.site = site;
    for (int y1 = 0; y1 <= year; ++y1) {
        const auto it = transitions.find(PathKey{site, y1, year});
        if (it != transitions.end() && !it->second.exempt)
            capture.arriving.append(it->first);
    }
    for (int y2 = year; y2 < yearCount; ++y2) {
        const auto it = transitions.find(PathKey{site + 1, year, y2});
        if (it != transitions.end() && !it->second.exempt)
            capture.leaving.append(it->first);
    }
    return capture;
}

void markCaptureAtZero(SummaryTables& tables, const CaptureKey& key)
{
    if (CaptureCell* capture = tables.capture(key))
        capture->fixedAtZero = true;
}

} // namespace

ReleaseSummary::ReleaseSummary(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const NextDetectionsI& counts)
    : releases_(releases), sites_(sites), years_(years), counts_(counts)
{
}

ReleaseSummary::~ReleaseSummary() = default;

void ReleaseSummary::update()
{
    clear();
    readReleases();
    dataClass_ = computeDataClass();

    buildReleaseTransitions();
    poolTransitions();
    if (hasGroups())
        buildGroupTransitions();
    buildReleaseCaptures();
    poolCaptures();
    if (hasGroups())
        buildGroupCaptures();
    markReleasePassThroughSites();
    markEmptyPooledHoldOvers();
    markEmptyHoldOvers();
    markFirstReach();
    markDeadEnds();
    markShadowedPaths();
    markUnreachablePaths(true);
    markEmptyFirstReaches();
    markUnreachablePaths(false);
    markPooledExemptions();
    computeTestCounts();
    markPassThroughSites();
    markCertainFinalReach();
    if (checksObservedRoutes_)
        reopenObservedRoutes();
    computeIndicators();
}

// ---- Accessors ----

int ReleaseSummary::releaseSite(int releaseIndex) const
{
    return releaseIndex >= 0 && releaseIndex < releaseCount()
               ? relSites_[static_cast<std::size_t>(releaseIndex)]
               : -1;
}

int ReleaseSummary::releaseYear(int releaseIndex) const
{
    return releaseIndex >= 0 && releaseIndex < releaseCount()
               ? relYears_[static_cast<std::size_t>(releaseIndex)]
               : -1;
}

const SummaryTables& ReleaseSummary::releaseTables(int releaseIndex) const
{
    return releaseIndex >= 0 && releaseIndex < releaseCount()
               ? releaseTables_[static_cast<std::size_t>(releaseIndex)]
               : noTables();
}

const TransitionTable& ReleaseSummary::transitionCells(int releaseIndex) const
{
    return releaseTables(releaseIndex).transitions;
}

const CaptureTable& ReleaseSummary::captureCells(int releaseIndex) const
{
    return releaseTables(releaseIndex).captures;
}

bool ReleaseSummary::releaseEstimable(int releaseIndex) const
{
    return releaseTables(releaseIndex).estimable;
}

QList<int> ReleaseSummary::yearGroupKeys() const
{
    QList<int> keys;
    for (const auto& entry : yearGroups_)
        keys.append(entry.first);
    return keys;
}

QList<int> ReleaseSummary::siteGroupKeys() const
{
    QList<int> keys;
    for (const auto& entry : siteGroups_)
        keys.append(entry.first);
    return keys;
}

const SummaryTables& ReleaseSummary::yearGroup(int key) const
{
    const auto it = yearGroups_.find(key);
    return it == yearGroups_.end() ? noTables() : it->second;
}

const SummaryTables& ReleaseSummary::siteGroup(int key) const
{
    const auto it = siteGroups_.find(key);
    return it == siteGroups_.end() ? noTables() : it->second;
}

// ---- Set-up ----

void ReleaseSummary::clear()
{
    releaseIds_.clear();
    relSites_.clear();
    relYears_.clear();
    passThrough_.clear();
    releaseTables_.clear();
    pooled_ = SummaryTables();
    yearGroups_.clear();
    siteGroups_.clear();
    eachReleaseEstimable_ = true;
    firstGroupEstimable_ = true;
    secondGroupEstimable_ = true;
}

void ReleaseSummary::readReleases()
{
    siteCount_ = sites_.count();
    yearCount_ = years_.count();
    const QList<int> ids = releases_.ids();
    for (const int id : ids) {
        releaseIds_.push_back(id);
        relSites_.push_back(sites_.indexOf(releases_.releaseSiteId(id)));
        relYears_.push_back(years_.indexOf(releases_.releaseYearId(id)));
    }
    releaseTables_.resize(releaseIds_.size());
    passThrough_.resize(releaseIds_.size());
    for (int r = 0; r < releaseCount(); ++r)
        if (isModelled(r))
            passThrough_[static_cast<std::size_t>(r)] = findPassThroughSites(r);
}

// A site below the release at which none of its fish was ever detected, while some were
// detected further down, was passed unseen by every fish that went on: a release site lower
// on the river (it has no detector), or a detector that missed the whole release.
//
// The test is made per release, not over all releases. The parameters of a release are fixed
// from that release's own cells, and a release without a single detection at a site carries no
// information about it: the detection probability there has its maximum at 0, and survival into
// the site and out of it can only be estimated as their product. Fixing the reach into the site
// at 1 and the detection at 0 gives the same maximum of the likelihood and keeps the release's
// parameters identifiable; judged over all releases, a detector that happened to miss one small
// release would leave that release with a singular Hessian in every model that keeps it apart.
std::vector<char> ReleaseSummary::findPassThroughSites(int r) const
{
    const int id = releaseIds_[static_cast<std::size_t>(r)];
    const int a0 = relSites_[static_cast<std::size_t>(r)];
    const int b0 = relYears_[static_cast<std::size_t>(r)];
    std::vector<char> passThrough(static_cast<std::size_t>(siteCount_), 0);
    bool seenBelow = false;
    for (int s = siteCount_ - 1; s > a0; --s) {
        bool seenHere = false;
        for (int y = b0; y < yearCount_; ++y)
            seenHere = seenHere || counts_.releaseDetections(id, s, y) > 0;
        if (s < siteCount_ - 1 && !seenHere && seenBelow)
            passThrough[static_cast<std::size_t>(s)] = 1;
        seenBelow = seenBelow || seenHere;
    }
    return passThrough;
}

bool ReleaseSummary::isPassThrough(int r, int site) const
{
    const auto& sites = passThrough_[static_cast<std::size_t>(r)];
    return site >= 0 && site < static_cast<int>(sites.size()) &&
           sites[static_cast<std::size_t>(site)] != 0;
}

int ReleaseSummary::firstReachSite(int r) const
{
    int site = relSites_[static_cast<std::size_t>(r)] + 1;
    while (isPassThrough(r, site))
        ++site;
    return site;
}

// Where the fish that were at (site, year) were next seen. Nobody is seen at a pass-through
// site, so its fish are counted at the nearest point above that can see them; the reach into a
// pass-through site is made in the year the fish left that point.
const CountMatrix& ReleaseSummary::countsLeaving(int r, int site, int year) const
{
    static const CountMatrix none;
    const int id = releaseIds_[static_cast<std::size_t>(r)];
    const int a0 = relSites_[static_cast<std::size_t>(r)];
    while (site > a0 && isPassThrough(r, site))
        --site;
    if (site > a0)
        return counts_.nextCounts(id, site, year);
    return year == relYears_[static_cast<std::size_t>(r)] ? counts_.releaseNextCounts(id) : none;
}

int ReleaseSummary::computeDataClass() const
{
    QSet<int> siteIds;
    QSet<int> yearIds;
    for (const int id : releaseIds_) {
        siteIds.insert(releases_.releaseSiteId(id));
        yearIds.insert(releases_.releaseYearId(id));
    }
    return (siteIds.size() > 1 ? 1 : 0) + (yearIds.size() > 1 ? 2 : 0);
}

bool ReleaseSummary::isModelled(int r) const
{
    const int relSite = relSites_[static_cast<std::size_t>(r)];
    const int relYear = relYears_[static_cast<std::size_t>(r)];
    return relSite >= 0 && relSite < siteCount_ - 1 && relYear >= 0 && relYear < yearCount_;
}

std::vector<int> ReleaseSummary::allModelled() const
{
    std::vector<int> members;
    for (int r = 0; r < releaseCount(); ++r)
        if (isModelled(r))
            members.push_back(r);
    return members;
}

std::vector<int> ReleaseSummary::groupMembers(bool byYear, int key) const
{
    const auto& positions = byYear ? relYears_ : relSites_;
    std::vector<int> members;
    for (int r = 0; r < releaseCount(); ++r)
        if (isModelled(r) && positions[static_cast<std::size_t>(r)] == key)
            members.push_back(r);
    return members;
}

template <typename Visit>
void ReleaseSummary::forEachGroup(Visit&& visit)
{
    for (auto& [key, group] : yearGroups_)
        visit(group, groupMembers(true, key));
    for (auto& [key, group] : siteGroups_)
        visit(group, groupMembers(false, key));
}

template <typename Visit>
void ReleaseSummary::forCellsWithKey(const PathKey& key, Visit&& visit)
{
    for (auto& tables : releaseTables_)
        if (TransitionCell* cell = tables.transition(key))
            visit(*cell);
}

template <typename Visit>
void ReleaseSummary::forGroupCellsWithKey(const PathKey& key, Visit&& visit)
{
    for (auto* groups : {&yearGroups_, &siteGroups_})
        for (auto& entry : *groups)
            if (TransitionCell* cell = entry.second.transition(key))
                visit(*cell);
}

// ---- Building the tables ----

// Release r's cells: the first reach (relSite+1, relYear, y2) from its first detections,
// then every (s, y1, y2) below from the next detections of the fish seen at (s-1, y1).
void ReleaseSummary::buildReleaseTransitions()
{
    for (int r = 0; r < releaseCount(); ++r) {
        if (!isModelled(r))
            continue;
        const int id = releaseIds_[static_cast<std::size_t>(r)];
        const int a0 = relSites_[static_cast<std::size_t>(r)];
        const int b0 = relYears_[static_cast<std::size_t>(r)];
        TransitionTable& table = releaseTables_[static_cast<std::size_t>(r)].transitions;
        const CountMatrix& first = counts_.releaseNextCounts(id);
        for (int y2 = b0; y2 < yearCount_; ++y2)
            addTransition(table, a0 + 1, b0, y2, first.count(a0 + 1, y2));
        for (int s = a0 + 2; s < siteCount_; ++s) {
            for (int y1 = b0; y1 < yearCount_; ++y1) {
                const CountMatrix& next = countsLeaving(r, s - 1, y1);
                for (int y2 = y1; y2 < yearCount_; ++y2)
                    addTransition(table, s, y1, y2, next.count(s, y2));
            }
        }
    }
}

void ReleaseSummary::poolTransitions()
{
    for (const auto& tables : releaseTables_)
        poolTransitionsInto(pooled_.transitions, tables.transitions);
}

void ReleaseSummary::buildGroupTransitions()
{
    for (int r = 0; r < releaseCount(); ++r) {
        if (!isModelled(r))
            continue;
        const auto& source = releaseTables_[static_cast<std::size_t>(r)].transitions;
        poolTransitionsInto(yearGroups_[relYears_[static_cast<std::size_t>(r)]].transitions,
                            source);
        poolTransitionsInto(siteGroups_[relSites_[static_cast<std::size_t>(r)]].transitions,
                            source);
    }
}

// The release point and every point below it that the release's cells arrive at.
std::vector<CaptureKey> ReleaseSummary::captureKeys(int r) const
{
    std::vector<CaptureKey> keys;
    if (!isModelled(r))
        return keys;
    const int a0 = relSites_[static_cast<std::size_t>(r)];
    const int b0 = relYears_[static_cast<std::size_t>(r)];
    keys.push_back(CaptureKey{b0, a0});
    for (int s = a0 + 1; s < siteCount_; ++s)
        for (int y = b0; y < yearCount_; ++y)
            keys.push_back(CaptureKey{y, s});
    return keys;
}

void ReleaseSummary::buildReleaseCaptures()
{
    for (int r = 0; r < releaseCount(); ++r) {
        const int id = releaseIds_[static_cast<std::size_t>(r)];
        SummaryTables& tables = releaseTables_[static_cast<std::size_t>(r)];
        for (const CaptureKey& key : captureKeys(r)) {
            CaptureCell capture = makeCapture(tables.transitions, key.year, key.site, yearCount_);
            capture.count = counts_.releaseDetections(id, key.site, key.year);
            capture.removals = counts_.releaseRemovals(id, key.site, key.year);
            tables.captures.emplace(key, capture);
        }
    }
}

void ReleaseSummary::poolCaptures()
{
    for (int r = 0; r < releaseCount(); ++r) {
        for (const CaptureKey& key : captureKeys(r)) {
            if (pooled_.captures.count(key))
                continue;
            CaptureCell capture = makeCapture(pooled_.transitions, key.year, key.site, yearCount_);
            capture.count = counts_.totalDetections(key.site, key.year);
            capture.removals = counts_.totalRemovals(key.site, key.year);
            pooled_.captures.emplace(key, capture);
        }
    }
}

void ReleaseSummary::buildGroupCaptures()
{
    forEachGroup([this](SummaryTables& group, const std::vector<int>& members) {
        for (const int r : members) {
            for (const CaptureKey& key : captureKeys(r)) {
                if (group.captures.count(key))
                    continue;
                CaptureCell capture =
                    makeCapture(group.transitions, key.year, key.site, yearCount_);
                for (const int m : members) {
                    const int id = releaseIds_[static_cast<std::size_t>(m)];
                    capture.count += counts_.releaseDetections(id, key.site, key.year);
                    capture.removals += counts_.releaseRemovals(id, key.site, key.year);
                }
                group.captures.emplace(key, capture);
            }
        }
    });
}

// ---- Marking stages ----

// Every fish of the release that went on passed its pass-through sites unseen, in the year it
// left the point above: that reach is certain, holding over into the site does not happen, and
// detection there is impossible.
void ReleaseSummary::markReleasePassThroughSites()
{
    for (int r = 0; r < releaseCount(); ++r) {
        if (!isModelled(r))
            continue;
        SummaryTables& tables = releaseTables_[static_cast<std::size_t>(r)];
        for (auto& [key, cell] : tables.transitions) {
            if (!isPassThrough(r, cell.site))
                continue;
            if (cell.y1 == cell.y2) {
                cell.fixedAtOne = true;
            } else {
                cell.exempt = true;
                cell.fixedAtZero = true;
            }
        }
        for (auto& [key, capture] : tables.captures)
            if (isPassThrough(r, capture.site))
                capture.fixedAtZero = true;
    }
}

// No fish of any release took a hold-over path: it has no parameter anywhere.
void ReleaseSummary::markEmptyPooledHoldOvers()
{
    for (auto& [key, cell] : pooled_.transitions) {
        if (cell.y2 == cell.y1 || cell.exempt || cell.nextCount != 0)
            continue;
        cell.exempt = true;
        const auto fixAtZero = [](TransitionCell& c) {
            c.exempt = true;
            c.fixedAtZero = true;
        };
        forCellsWithKey(key, fixAtZero);
        forGroupCellsWithKey(key, fixAtZero);
    }
}

void ReleaseSummary::markEmptyHoldOvers()
{
    for (auto& tables : releaseTables_)
        for (auto& entry : tables.transitions) {
            TransitionCell& cell = entry.second;
            if (cell.y2 != cell.y1 && !cell.exempt && cell.nextCount == 0)
                cell.emptyHoldOver = true;
        }
}

// No fish reached the first site below the release in year y2 and none can have passed
// it unseen: the path and the detection there have no parameter.
void ReleaseSummary::markFirstReach()
{
    for (int r = 0; r < releaseCount(); ++r) {
        if (!isModelled(r))
            continue;
        SummaryTables& tables = releaseTables_[static_cast<std::size_t>(r)];
        const int site = firstReachSite(r);
        const int b0 = relYears_[static_cast<std::size_t>(r)];
        for (int y2 = b0; y2 < yearCount_; ++y2) {
            TransitionCell* cell = tables.transition(PathKey{site, b0, y2});
            const CaptureKey arrival{y2, site};
            if (!cell || cell->nextCount >= 1 || CellChecks::passesDownstream(tables, arrival))
                continue;
            cell->exempt = true;
            cell->fixedAtZero = true;
            if (site != siteCount_ - 1)
                markCaptureAtZero(tables, arrival);
        }
    }
}

void ReleaseSummary::markDeadEnds()
{
    for (int r = 0; r < releaseCount(); ++r) {
        SummaryTables& tables = releaseTables_[static_cast<std::size_t>(r)];
        const int firstReach = isModelled(r) ? firstReachSite(r) : siteCount_;
        for (auto& entry : tables.transitions) {
            TransitionCell& cell = entry.second;
            if (cell.site <= firstReach || cell.exempt || cell.fixedAtOne || cell.emptyHoldOver ||
                cell.nextCount != 0)
                continue;
            markDeadEnd(tables, cell);
        }
    }
}

// A path without fish that leads to no detection is dropped, provided the fish at its
// start still have another open path.
void ReleaseSummary::markDeadEnd(SummaryTables& tables, TransitionCell& cell)
{
    const CaptureKey arrival{cell.y2, cell.site};
    if (CellChecks::passesDownstream(tables, arrival))
        return;
    const CaptureCell* departure = tables.capture(CaptureKey{cell.y1, cell.site - 1});
    if (!departure)
        return;
    bool otherOpen = false;
    for (const PathKey& key : departure->leaving) {
        const TransitionCell* other = tables.transition(key);
        if (key != cell.key() && other && !other->exempt && !other->emptyHoldOver)
            otherOpen = true;
    }
    if (!otherOpen)
        return;
    cell.exempt = true;
    cell.fixedAtZero = true;
    if (cell.site != siteCount_ - 1)
        markCaptureAtZero(tables, arrival);
}

// A path without fish into a point that an open path with fish (or the direct path)
// already reaches.
void ReleaseSummary::markShadowedPaths()
{
    for (auto& tables : releaseTables_) {
        for (auto& entry : tables.transitions) {
            TransitionCell& cell = entry.second;
            if (cell.exempt || cell.fixedAtOne || cell.nextCount >= 1)
                continue;
            for (int y1 = 0; y1 <= cell.y2; ++y1) {
                const TransitionCell* other = tables.transition(PathKey{cell.site, y1, cell.y2});
                if (y1 != cell.y1 && other && !other->exempt && !other->emptyHoldOver) {
                    cell.exempt = true;
                    cell.fixedAtZero = true;
                    break;
                }
            }
        }
    }
}

// A path from a point that no open path reaches; site by site down-river so that
// unreachability spreads in one pass. The fixing pass fixes the path and the detection at its
// unreachable departure, which no fish can inform; the arrival may be reached another way, so
// its detection stays as it is.
void ReleaseSummary::markUnreachablePaths(bool fix)
{
    for (int r = 0; r < releaseCount(); ++r) {
        if (!isModelled(r))
            continue;
        SummaryTables& tables = releaseTables_[static_cast<std::size_t>(r)];
        const int a0 = relSites_[static_cast<std::size_t>(r)];
        const int b0 = relYears_[static_cast<std::size_t>(r)];
        for (int a = a0 + 1; a <= siteCount_ - 2; ++a) {
            for (int y1 = b0; y1 < yearCount_; ++y1) {
                const CaptureKey departure{y1, a};
                if (CellChecks::isReachable(tables, departure))
                    continue;
                if (fix)
                    markCaptureAtZero(tables, departure);
                for (int y2 = y1; y2 < yearCount_; ++y2) {
                    TransitionCell* cell = tables.transition(PathKey{a + 1, y1, y2});
                    if (!cell || cell->exempt)
                        continue;
                    cell->exempt = true;
                    if (!fix)
                        continue;
                    cell->fixedAtZero = true;
                    cell->fixedAtOne = false;
                }
            }
        }
    }
}

void ReleaseSummary::markEmptyFirstReaches()
{
    for (int r = 0; r < releaseCount(); ++r) {
        if (!isModelled(r))
            continue;
        SummaryTables& tables = releaseTables_[static_cast<std::size_t>(r)];
        const int site = firstReachSite(r);
        const int b0 = relYears_[static_cast<std::size_t>(r)];
        for (int y2 = b0; y2 < yearCount_; ++y2) {
            TransitionCell* cell = tables.transition(PathKey{site, b0, y2});
            if (cell && !cell->exempt && cell->nextCount < 1)
                cell->exempt = true;
        }
    }
}

// A pooled (or group) cell is exempt when it is exempt in every release that has it, and
// certain when every release that has it open passes that site unseen.
void ReleaseSummary::exemptIfExemptInAll(SummaryTables& target, const std::vector<int>& members)
{
    for (auto& [key, cell] : target.transitions) {
        bool open = false;
        bool certain = true;
        for (const int r : members) {
            const TransitionCell* own = releaseTables_[static_cast<std::size_t>(r)].transition(key);
            if (own && !own->exempt) {
                open = true;
                certain = certain && own->fixedAtOne;
            }
        }
        if (!open)
            cell.exempt = true;
        else if (certain)
            cell.fixedAtOne = true;
    }
}

void ReleaseSummary::markPooledExemptions()
{
    exemptIfExemptInAll(pooled_, allModelled());
    forEachGroup([this](SummaryTables& group, const std::vector<int>& members) {
        exemptIfExemptInAll(group, members);
    });
}

void ReleaseSummary::computeTestCounts()
{
    for (int r = 0; r < releaseCount(); ++r) {
        const auto& captures = releaseTables_[static_cast<std::size_t>(r)].captures;
        for (const auto& entry : captures)
            if (entry.second.site < siteCount_ - 1)
                countRoutesFrom(r, entry.second);
    }
    sumTestCounts(pooled_, allModelled());
    forEachGroup([this](SummaryTables& group, const std::vector<int>& members) {
        sumTestCounts(group, members);
    });
}

// Credits the fish seen at `from` and next seen at a later point (s', y') to the one
// transition cell through which every open route from `from` reaches (s', y'). Routes run
// from capture cell to capture cell over cells that are not exempt; which points a route can
// reach is worked out site by site, so the routes themselves need not be listed.
void ReleaseSummary::countRoutesFrom(int r, const CaptureCell& from)
{
    const int id = releaseIds_[static_cast<std::size_t>(r)];
    SummaryTables& tables = releaseTables_[static_cast<std::size_t>(r)];
    const CountMatrix& seenNext = from.site == relSites_[static_cast<std::size_t>(r)]
                                      ? counts_.releaseNextCounts(id)
                                      : counts_.nextCounts(id, from.site, from.year);
    const auto at = [this](int site, int year) {
        return static_cast<std::size_t>(site) * static_cast<std::size_t>(yearCount_) +
               static_cast<std::size_t>(year);
    };
    // reached[at(x, y)]: some open route leads from `from` to the capture cell (y, x). The
    // table is ordered by site, so every cell into site x-1 is settled before the first cell
    // out of it.
    std::vector<char> reached(at(siteCount_, 0), 0);
    reached[at(from.site, from.year)] = 1;
    const PathKey afterFrom{from.site, std::numeric_limits<std::int32_t>::max(),
                            std::numeric_limits<std::int32_t>::max()};
    for (auto it = tables.transitions.upper_bound(afterFrom); it != tables.transitions.end();
         ++it) {
        const TransitionCell& cell = it->second;
        if (!cell.exempt && reached[at(cell.site - 1, cell.y1)] &&
            tables.capture(CaptureKey{cell.y2, cell.site}))
            reached[at(cell.site, cell.y2)] = 1;
    }
    for (int s = from.site + 1; s < siteCount_; ++s) {
        for (int y = from.year; y < yearCount_; ++y) {
            const int fish = seenNext.count(s, y);
            if (fish == 0)
                continue;
            TransitionCell* last = nullptr;
            int lastCells = 0;
            for (int y1 = 0; y1 <= y; ++y1) {
                TransitionCell* cell = tables.transition(PathKey{s, y1, y});
                if (cell && !cell->exempt && reached[at(s - 1, y1)]) {
                    last = cell;
                    ++lastCells;
                }
            }
            if (lastCells == 1)
                last->testCount += fish;
        }
    }
}

void ReleaseSummary::sumTestCounts(SummaryTables& target, const std::vector<int>& members)
{
    for (auto& [key, cell] : target.transitions) {
        if (cell.exempt)
            continue;
        cell.testCount = 0;
        for (const int r : members)
            if (const TransitionCell* own =
                    releaseTables_[static_cast<std::size_t>(r)].transition(key))
                cell.testCount += own->testCount;
    }
}

// No fish tested the path, but fish went on below its arrival: they passed the site
// without being detected there, so the path is certain and the detection there impossible.
void ReleaseSummary::markPassThroughSites()
{
    for (auto& [key, cell] : pooled_.transitions) {
        if (cell.exempt || cell.testCount != 0 || cell.site >= siteCount_ - 1)
            continue;
        if (!CellChecks::passesDownstream(pooled_, CaptureKey{cell.y2, cell.site}))
            continue;
        cell.fixedAtOne = true;
        for (auto& tables : releaseTables_) {
            if (TransitionCell* own = tables.transition(key)) {
                own->fixedAtOne = true;
                markCaptureAtZero(tables, CaptureKey{cell.y2, cell.site});
            }
        }
        forGroupCellsWithKey(key, [](TransitionCell& c) { c.fixedAtOne = true; });
    }
}

// Every fish that went on from the last detection site in year y was seen at the final
// site in the same year: reaching the final site in y is certain.
void ReleaseSummary::markCertainFinalReach()
{
    if (siteCount_ < 2)
        return;
    const int last = siteCount_ - 2;
    const int final = siteCount_ - 1;
    for (int y = 0; y < yearCount_; ++y) {
        long long wentOn = 0;
        bool certain = true;
        for (int r = 0; r < releaseCount(); ++r) {
            if (relYears_[static_cast<std::size_t>(r)] > y)
                continue;
            const int id = releaseIds_[static_cast<std::size_t>(r)];
            const int d =
                counts_.releaseDetections(id, last, y) - counts_.releaseRemovals(id, last, y);
            const CountMatrix& next = relSites_[static_cast<std::size_t>(r)] == last
                                          ? counts_.releaseNextCounts(id)
                                          : counts_.nextCounts(id, last, y);
            if (next.count(final, y) < d)
                certain = false;
            wentOn += d;
        }
        if (!certain || wentOn <= 0)
            continue;
        const PathKey key{final, y, y};
        if (TransitionCell* pooledCell = pooled_.transition(key))
            pooledCell->fixedAtOne = true;
        const auto fixAtOne = [](TransitionCell& c) { c.fixedAtOne = true; };
        forCellsWithKey(key, fixAtOne);
        forGroupCellsWithKey(key, fixAtOne);
    }
}

// No mark may deny what the fish of a release were seen doing: the detections where fish
// were seen, and some route to every point where fish were next seen, stay free.
void ReleaseSummary::reopenObservedRoutes()
{
    for (int r = 0; r < releaseCount(); ++r) {
        if (!isModelled(r))
            continue;
        const int id = releaseIds_[static_cast<std::size_t>(r)];
        const int relSite = relSites_[static_cast<std::size_t>(r)];
        SummaryTables& tables = releaseTables_[static_cast<std::size_t>(r)];
        ObservedRouteCheck check(tables, siteCount_, yearCount_);
        check.openObservedCaptures();
        for (const auto& entry : tables.captures) {
            const CaptureKey& from = entry.first;
            if (from.site >= siteCount_ - 1)
                continue;
            check.reopenRoutesFrom(from, from.site == relSite
                                             ? counts_.releaseNextCounts(id)
                                             : counts_.nextCounts(id, from.site, from.year));
        }
    }
}

void ReleaseSummary::computeIndicators()
{
    for (auto& tables : releaseTables_) {
        tables.estimable = CellChecks::isEstimable(tables);
        eachReleaseEstimable_ = eachReleaseEstimable_ && tables.estimable;
    }
    for (auto& entry : yearGroups_) {
        entry.second.estimable = CellChecks::isEstimable(entry.second);
        firstGroupEstimable_ = firstGroupEstimable_ && entry.second.estimable;
    }
    for (auto& entry : siteGroups_) {
        entry.second.estimable = CellChecks::isEstimable(entry.second);
        secondGroupEstimable_ = secondGroupEstimable_ && entry.second.estimable;
    }
    pooled_.estimable = CellChecks::isEstimable(pooled_);
}

} // namespace rivulet
