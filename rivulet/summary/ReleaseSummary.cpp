#include "rivulet/summary/ReleaseSummary.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/summary/MarkingStages.h"
#include "rivulet/summary/SummaryState.h"
#include "rivulet/summary/SummaryTableBuilder.h"

namespace rivulet {

namespace {

const SummaryTables& noTables()
{
    static const SummaryTables none{{}, {}, false};
    return none;
}

const SummaryTables& groupOf(const SummaryState::GroupMap& groups, int key)
{
    const auto it = groups.find(key);
    return it == groups.end() ? noTables() : it->second;
}

} // namespace

ReleaseSummary::ReleaseSummary(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const NextDetectionsI& counts)
    : m_releases(releases), m_sites(sites), m_years(years), m_counts(counts),
      m_state(std::make_unique<SummaryState>(counts, 0, 0))
{
}

ReleaseSummary::~ReleaseSummary() = default;

void ReleaseSummary::update()
{
    m_state =
        std::make_unique<SummaryState>(SummaryState::read(m_releases, m_sites, m_years, m_counts));
    m_dataClass = dataClassOf(m_releases);
    SummaryTableBuilder(*m_state).build(hasGroups());

    using namespace marking;
    // Each stage reads the marks of the ones before it: the order is part of the result.
    for (const Stage stage :
         {markReleasePassThroughSites, markEmptyPooledHoldOvers, markEmptyHoldOvers, markFirstReach,
          markDeadEnds, markShadowedPaths, fixUnreachablePaths, markEmptyFirstReaches,
          markUnreachablePaths, markPooledExemptions, computeTestCounts, markPooledPassThroughSites,
          markCertainFinalReach})
        stage(*m_state);
    if (m_checksObservedRoutes)
        reopenObservedRoutes(*m_state);

    m_indicators = SummaryIndicators::compute(*m_state);
}

int ReleaseSummary::releaseCount() const
{
    return m_state->releaseCount();
}

bool ReleaseSummary::isKnown(ReleasePos release) const
{
    return release.value >= 0 && release.value < releaseCount();
}

int ReleaseSummary::releaseSite(ReleasePos release) const
{
    return isKnown(release) ? m_state->release(release.value).site : -1;
}

int ReleaseSummary::releaseYear(ReleasePos release) const
{
    return isKnown(release) ? m_state->release(release.value).year : -1;
}

const SummaryTables& ReleaseSummary::releaseTables(ReleasePos release) const
{
    return isKnown(release) ? m_state->tablesOf(release.value) : noTables();
}

const TransitionTable& ReleaseSummary::transitionCells(ReleasePos release) const
{
    return releaseTables(release).transitions;
}

const CaptureTable& ReleaseSummary::captureCells(ReleasePos release) const
{
    return releaseTables(release).captures;
}

bool ReleaseSummary::releaseEstimable(ReleasePos release) const
{
    return releaseTables(release).estimable;
}

QList<int> ReleaseSummary::yearGroupKeys() const
{
    QList<int> keys;
    for (const auto& entry : m_state->yearGroups)
        keys.append(entry.first);
    return keys;
}

QList<int> ReleaseSummary::siteGroupKeys() const
{
    QList<int> keys;
    for (const auto& entry : m_state->siteGroups)
        keys.append(entry.first);
    return keys;
}

const SummaryTables& ReleaseSummary::yearGroup(int key) const
{
    return groupOf(m_state->yearGroups, key);
}

const SummaryTables& ReleaseSummary::siteGroup(int key) const
{
    return groupOf(m_state->siteGroups, key);
}

const SummaryTables& ReleaseSummary::pooledTables() const
{
    return m_state->pooled;
}

} // namespace rivulet
