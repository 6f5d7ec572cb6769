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
    : summary_(summary), releases_(releases)
{
}

QJsonDocument ReleaseSummaryJson::document() const
{
    QJsonObject root{{QStringLiteral("dataClass"), dataClassNumber(summary_.dataClass())},
                     {QStringLiteral("eachReleaseEstimable"), summary_.eachReleaseEstimable()},
                     {QStringLiteral("firstGroupEstimable"), summary_.firstGroupEstimable()},
                     {QStringLiteral("secondGroupEstimable"), summary_.secondGroupEstimable()},
                     {QStringLiteral("pooledEstimable"), summary_.pooledEstimable()}};

    const QStringList labels = releases_.labels();
    QJsonArray releases;
    for (int r = 0; r < summary_.releaseCount(); ++r) {
        QJsonObject release{{QStringLiteral("label"), r < labels.size() ? labels.at(r) : QString()},
                            {QStringLiteral("site"), summary_.releaseSite(ReleasePos{r})},
                            {QStringLiteral("year"), summary_.releaseYear(ReleasePos{r})}};
        addTables(release, summary_.releaseTables(ReleasePos{r}));
        releases.append(release);
    }
    root.insert(QStringLiteral("releases"), releases);

    QJsonObject pooled;
    addTables(pooled, summary_.pooledTables());
    root.insert(QStringLiteral("pooled"), pooled);
    root.insert(QStringLiteral("yearGroups"),
                groupsJson(summary_.yearGroupKeys(), [this](int key) -> const SummaryTables& {
                    return summary_.yearGroup(key);
                }));
    root.insert(QStringLiteral("siteGroups"),
                groupsJson(summary_.siteGroupKeys(), [this](int key) -> const SummaryTables& {
                    return summary_.siteGroup(key);
                }));
    return QJsonDocument(root);
}

} // namespace rivulet
