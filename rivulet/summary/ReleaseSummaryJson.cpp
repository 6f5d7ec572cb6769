#include "rivulet/summary/ReleaseSummaryJson.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <QJsonArray>
#include <QJsonObject>

namespace rivulet {

namespace {

QJsonObject transitionJson(const TransitionCell& cell)
{
    return QJsonObject{{QStringLiteral("site"), cell.site},
                       {QStringLiteral("y1"), cell.y1},
                       {QStringLiteral("y2"), cell.y2},
                       {QStringLiteral("nextCount"), qint64(cell.nextCount)},
                       {QStringLiteral("testCount"), qint64(cell.testCount)},
                       {QStringLiteral("exempt"), cell.exempt},
                       {QStringLiteral("emptyHoldOver"), cell.emptyHoldOver},
                       {QStringLiteral("fixedAtZero"), cell.fixedAtZero},
                       {QStringLiteral("fixedAtOne"), cell.fixedAtOne}};
}

QJsonObject captureJson(const CaptureCell& cell)
{
    return QJsonObject{{QStringLiteral("year"), cell.year},
                       {QStringLiteral("site"), cell.site},
                       {QStringLiteral("count"), qint64(cell.count)},
                       {QStringLiteral("removals"), qint64(cell.removals)},
                       {QStringLiteral("fixedAtZero"), cell.fixedAtZero}};
}

// The tables' cells and indicator, added to object.
void addTables(QJsonObject& object, const SummaryTables& tables)
{
    QJsonArray transitions;
    for (const auto& entry : tables.transitions)
        transitions.append(transitionJson(entry.second));
    QJsonArray captures;
    for (const auto& entry : tables.captures)
        captures.append(captureJson(entry.second));
    object.insert(QStringLiteral("estimable"), tables.estimable);
    object.insert(QStringLiteral("transitionCells"), transitions);
    object.insert(QStringLiteral("captureCells"), captures);
}

template <typename Lookup>
QJsonArray groupsJson(const QList<int>& keys, Lookup&& group)
{
    QJsonArray groups;
    for (const int key : keys) {
        QJsonObject object{{QStringLiteral("key"), key}};
        addTables(object, group(key));
        groups.append(object);
    }
    return groups;
}

} // namespace

ReleaseSummaryJson::ReleaseSummaryJson(const ReleaseSummary& summary,
                                       const ReleasesControllerI& releases)
    : m_summary(summary), m_releases(releases)
{
}

QJsonDocument ReleaseSummaryJson::document() const
{
    QJsonObject root{{QStringLiteral("dataClass"), dataClassNumber(m_summary.dataClass())},
                     {QStringLiteral("eachReleaseEstimable"), m_summary.eachReleaseEstimable()},
                     {QStringLiteral("firstGroupEstimable"), m_summary.firstGroupEstimable()},
                     {QStringLiteral("secondGroupEstimable"), m_summary.secondGroupEstimable()},
                     {QStringLiteral("pooledEstimable"), m_summary.pooledEstimable()}};

    const QStringList labels = m_releases.labels();
    QJsonArray releases;
    for (int r = 0; r < m_summary.releaseCount(); ++r) {
        QJsonObject release{{QStringLiteral("label"), r < labels.size() ? labels.at(r) : QString()},
                            {QStringLiteral("site"), m_summary.releaseSite(ReleasePos{r})},
                            {QStringLiteral("year"), m_summary.releaseYear(ReleasePos{r})}};
        addTables(release, m_summary.releaseTables(ReleasePos{r}));
        releases.append(release);
    }
    root.insert(QStringLiteral("releases"), releases);

    QJsonObject pooled;
    addTables(pooled, m_summary.pooledTables());
    root.insert(QStringLiteral("pooled"), pooled);
    root.insert(QStringLiteral("yearGroups"),
                groupsJson(m_summary.yearGroupKeys(), [this](int key) -> const SummaryTables& {
                    return m_summary.yearGroup(key);
                }));
    root.insert(QStringLiteral("siteGroups"),
                groupsJson(m_summary.siteGroupKeys(), [this](int key) -> const SummaryTables& {
                    return m_summary.siteGroup(key);
                }));
    return QJsonDocument(root);
}

} // namespace rivulet
