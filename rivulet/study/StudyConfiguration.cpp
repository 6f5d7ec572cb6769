#include "rivulet/study/StudyConfiguration.h"

#include "lum/db/TableData.h"
#include "rivulet/data/CohortsController.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SiteDbModel.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/study/Study.h"

#include <algorithm>

namespace rivulet {

StudyConfiguration::StudyConfiguration(ReleasesController& releases, SitesController& sites,
                                       YearsController& years, RivuletDb& rdb)
    : m_releases(releases), m_sites(sites), m_years(years), m_rdb(rdb)
{
}

StudyConfiguration::StudyConfiguration(Study& study)
    : StudyConfiguration(*study.databaseReleases(), *study.databaseSites(), *study.databaseYears(),
                         study.database())
{
}

int StudyConfiguration::sitePosition(const QString& nameOrCode) const
{
    const int byName = m_sites.shortNames().indexOf(nameOrCode);
    if (byName >= 0)
        return byName;
    for (const SiteState& site : siteStates()) {
        if (site.activePosition >= 0 && !site.merged &&
            (site.code == nameOrCode || site.shortName == nameOrCode))
            return site.activePosition;
    }
    return -1;
}

int StudyConfiguration::yearPosition(const QString& label) const
{
    return m_years.yearLabels().indexOf(label);
}

bool StudyConfiguration::isReleaseSite(int position) const
{
    if (position < 0 || position >= m_sites.count())
        return false;
    const int siteId = m_sites.ids().at(position);
    for (int releaseId : m_releases.ids()) {
        if (m_releases.releaseSiteId(releaseId) == siteId)
            return true;
    }
    return false;
}

bool StudyConfiguration::isReleaseYear(int position) const
{
    if (position < 0 || position >= m_years.count())
        return false;
    const int yearId = m_years.ids().at(position);
    for (int releaseId : m_releases.ids()) {
        if (m_releases.releaseYearId(releaseId) == yearId)
            return true;
    }
    return false;
}

bool StudyConfiguration::canRemoveSite(int position) const
{
    return position >= 0 && position < m_sites.count() && !isReleaseSite(position);
}

bool StudyConfiguration::canMakeLastSite(int position) const
{
    return canRemoveSite(position) && position > 1;
}

bool StudyConfiguration::canRemoveYear(int position) const
{
    return position >= 0 && position < m_years.count() && !isReleaseYear(position);
}

namespace {

lum::Error refused(const QString& why)
{
    return lum::Error(lum::JobError::Input, why);
}

} // namespace

lum::Expected<void> StudyConfiguration::removeSite(int position)
{
    if (position < 0 || position >= m_sites.count())
        return refused(QStringLiteral("No active site at position %1.").arg(position));
    if (!canRemoveSite(position))
        return refused(QStringLiteral("A release site cannot be removed."));
    return m_sites.removeSite(m_sites.ids().at(position));
}

lum::Expected<void> StudyConfiguration::setLastSite(int position)
{
    if (position < 0 || position >= m_sites.count())
        return refused(QStringLiteral("No active site at position %1.").arg(position));
    if (!canMakeLastSite(position))
        return refused(isReleaseSite(position)
                           ? QStringLiteral("A release site cannot be the last site.")
                           : QStringLiteral("The first detection site cannot be the last site."));
    return m_sites.setLastSite(position);
}

lum::Expected<void> StudyConfiguration::removeYear(int position)
{
    if (position < 0 || position >= m_years.count())
        return refused(QStringLiteral("No active year at position %1.").arg(position));
    if (!canRemoveYear(position))
        return refused(QStringLiteral("A release year cannot be removed."));
    return m_years.removeYear(m_years.ids().at(position));
}

lum::Expected<void> StudyConfiguration::reset()
{
    // The years are reset even when the sites could not be, as far as they can be.
    const lum::Expected<void> sites = m_sites.resetActive();
    const lum::Expected<void> years = m_years.resetActive();
    return sites ? years : sites;
}

QList<StudyConfiguration::SiteState> StudyConfiguration::siteStates() const
{
    QList<SiteState> states;
    if (!m_rdb.database())
        return states;
    const lum::DbModel& model = *m_rdb.model(RivuletDb::Sites);
    const auto column = [&model](int c) { return model.quotedColumnName(c); };
    const lum::TableData rows(
        *m_rdb.database(),
        QStringLiteral("select ") + column(SiteDbModel::Id) + QStringLiteral(", ") +
            column(SiteDbModel::Code) + QStringLiteral(", ") + column(SiteDbModel::ShortName) +
            QStringLiteral(", ") + column(SiteDbModel::LongName) + QStringLiteral(", ") +
            column(SiteDbModel::ActiveSequence) + QStringLiteral(" from ") + model.tableName() +
            QStringLiteral(" order by ") + column(SiteDbModel::Sequence));
    QList<int> releaseSiteIds;
    for (int releaseId : m_releases.ids())
        releaseSiteIds.append(m_releases.releaseSiteId(releaseId));
    int lastPosition = -1;
    for (int r = 0; r < rows.numRows(); ++r) {
        SiteState state;
        state.code = rows.stringValue(r, 1);
        state.shortName = rows.stringValue(r, 2);
        state.longName = rows.stringValue(r, 3);
        state.activePosition = rows.intValue(r, 4);
        state.releaseSite = releaseSiteIds.contains(rows.intValue(r, 0));
        if (state.activePosition >= 0) {
            state.merged = state.activePosition == lastPosition;
            lastPosition = state.activePosition;
        }
        states.append(state);
    }
    return states;
}

QList<StudyConfiguration::ReleaseState> StudyConfiguration::releaseStates() const
{
    QList<ReleaseState> states;
    const QList<int> ids = m_releases.allIds();
    const QStringList labels = m_releases.allLabels();
    const QList<int> active = m_releases.ids();
    for (int i = 0; i < ids.size(); ++i)
        states.append(ReleaseState{ids.at(i), labels.value(i), active.contains(ids.at(i))});
    return states;
}

QList<int> StudyConfiguration::activeReleaseIds() const
{
    return m_releases.ids();
}

lum::Expected<void> StudyConfiguration::setActiveReleases(const QList<int>& releaseIds)
{
    return m_releases.setActiveReleases(releaseIds);
}

lum::Expected<void> StudyConfiguration::setReleaseActive(const QString& label, bool active)
{
    const QList<ReleaseState> states = releaseStates();
    bool known = false;
    QList<int> selection;
    for (const ReleaseState& state : states) {
        const bool match = state.label == label;
        known = known || match;
        if (match ? active : state.active)
            selection.append(state.id);
    }
    if (!known)
        return refused(QStringLiteral("No release \"%1\"").arg(label));
    // The active ones keep their order; an included release takes its place by sequence.
    QList<int> ordered = m_releases.ids();
    ordered.erase(std::remove_if(ordered.begin(), ordered.end(),
                                 [&selection](int id) { return !selection.contains(id); }),
                  ordered.end());
    for (int id : selection) {
        if (ordered.contains(id))
            continue;
        int at = 0;
        const int sequence = m_releases.allIds().indexOf(id);
        while (at < ordered.size() && m_releases.allIds().indexOf(ordered.at(at)) < sequence)
            ++at;
        ordered.insert(at, id);
    }
    return setActiveReleases(ordered);
}

lum::Expected<void> StudyConfiguration::includeRelease(const QString& label)
{
    return setReleaseActive(label, true);
}

lum::Expected<void> StudyConfiguration::excludeRelease(const QString& label)
{
    return setReleaseActive(label, false);
}

QList<int> StudyConfiguration::cohortNumbers() const
{
    return CohortsController(m_rdb).cohortNumbers();
}

int StudyConfiguration::activeCohortNumber() const
{
    const CohortsController cohorts(m_rdb);
    const int index = cohorts.cohortIds().indexOf(cohorts.activeCohortId());
    return index < 0 ? 0 : cohorts.cohortNumbers().at(index);
}

lum::Expected<void> StudyConfiguration::setCohort(int cohortNumber)
{
    CohortsController cohorts(m_rdb);
    const int index = cohorts.cohortNumbers().indexOf(cohortNumber);
    if (index < 0)
        return refused(QStringLiteral("No cohort %1").arg(cohortNumber));
    return cohorts.setActiveCohort(cohorts.cohortIds().at(index));
}

lum::Expected<void> StudyConfiguration::clearCohort()
{
    return CohortsController(m_rdb).clearActiveCohort();
}

} // namespace rivulet
