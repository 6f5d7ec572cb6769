#include "rivulet/summary/SummaryTableBuilder.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/summary/SummaryState.h"

namespace rivulet {

namespace {

void addTransition(TransitionTable& table, int site, int y1, int y2, std::int64_t nextCount)
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

// The release point and every point below it that the release's cells arrive at.
std::vector<CaptureKey> captureKeys(const SummaryState& state, int r)
{
    std::vector<CaptureKey> keys;
    if (!state.isModelled(r))
        return keys;
    const SummaryRelease& release = state.release(r);
    keys.push_back(CaptureKey{release.year, release.site});
    for (int s = release.site + 1; s < state.siteCount; ++s)
        for (int y = release.year; y < state.yearCount; ++y)
            keys.push_back(CaptureKey{y, s});
    return keys;
}

} // namespace

void SummaryTableBuilder::build(bool withGroups)
{
    buildReleaseTransitions();
    poolTransitions();
    if (withGroups)
        buildGroupTransitions();
    buildReleaseCaptures();
    poolCaptures();
    if (withGroups)
        buildGroupCaptures();
}

// Release r's cells: the first reach (relSite+1, relYear, y2) from its first detections,
// then every (s, y1, y2) below from the next detections of the fish seen at (s-1, y1).
void SummaryTableBuilder::buildReleaseTransitions()
{
    for (int r = 0; r < m_state.releaseCount(); ++r) {
        if (!m_state.isModelled(r))
            continue;
        const SummaryRelease& release = m_state.release(r);
        const int a0 = release.site;
        const int b0 = release.year;
        TransitionTable& table = m_state.tablesOf(r).transitions;
        const CountMatrix& first = m_state.counts.releaseNextCounts(release.id);
        for (int y2 = b0; y2 < m_state.yearCount; ++y2)
            addTransition(table, a0 + 1, b0, y2, first.count(a0 + 1, y2));
        for (int s = a0 + 2; s < m_state.siteCount; ++s) {
            for (int y1 = b0; y1 < m_state.yearCount; ++y1) {
                const CountMatrix& next = m_state.countsLeaving(r, s - 1, y1);
                for (int y2 = y1; y2 < m_state.yearCount; ++y2)
                    addTransition(table, s, y1, y2, next.count(s, y2));
            }
        }
    }
}

void SummaryTableBuilder::poolTransitions()
{
    for (const auto& tables : m_state.releaseTables)
        poolTransitionsInto(m_state.pooled.transitions, tables.transitions);
}

void SummaryTableBuilder::buildGroupTransitions()
{
    for (int r = 0; r < m_state.releaseCount(); ++r) {
        if (!m_state.isModelled(r))
            continue;
        const auto& source = m_state.tablesOf(r).transitions;
        poolTransitionsInto(m_state.yearGroups[m_state.release(r).year].transitions, source);
        poolTransitionsInto(m_state.siteGroups[m_state.release(r).site].transitions, source);
    }
}

void SummaryTableBuilder::buildReleaseCaptures()
{
    const NextDetectionsI& counts = m_state.counts;
    for (int r = 0; r < m_state.releaseCount(); ++r) {
        const ReleaseId id = m_state.release(r).id;
        SummaryTables& tables = m_state.tablesOf(r);
        for (const CaptureKey& key : captureKeys(m_state, r)) {
            CaptureCell capture =
                makeCapture(tables.transitions, key.year, key.site, m_state.yearCount);
            capture.count = counts.releaseDetections(id, key.site, key.year);
            capture.removals = counts.releaseRemovals(id, key.site, key.year);
            tables.captures.emplace(key, capture);
        }
    }
}

void SummaryTableBuilder::poolCaptures()
{
    SummaryTables& pooled = m_state.pooled;
    for (int r = 0; r < m_state.releaseCount(); ++r) {
        for (const CaptureKey& key : captureKeys(m_state, r)) {
            if (pooled.captures.count(key))
                continue;
            CaptureCell capture =
                makeCapture(pooled.transitions, key.year, key.site, m_state.yearCount);
            capture.count = m_state.counts.totalDetections(key.site, key.year);
            capture.removals = m_state.counts.totalRemovals(key.site, key.year);
            pooled.captures.emplace(key, capture);
        }
    }
}

void SummaryTableBuilder::buildGroupCaptures()
{
    const SummaryState& state = m_state;
    m_state.forEachGroup([&state](SummaryTables& group, const std::vector<int>& members) {
        for (const int r : members) {
            for (const CaptureKey& key : captureKeys(state, r)) {
                if (group.captures.count(key))
                    continue;
                CaptureCell capture =
                    makeCapture(group.transitions, key.year, key.site, state.yearCount);
                for (const int m : members) {
                    const ReleaseId id = state.release(m).id;
                    capture.count += state.counts.releaseDetections(id, key.site, key.year);
                    capture.removals += state.counts.releaseRemovals(id, key.site, key.year);
                }
                group.captures.emplace(key, capture);
            }
        }
    });
}

} // namespace rivulet
