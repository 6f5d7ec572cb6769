#include "rivulet/gof/ComponentTestsJson.h"

#include <QJsonArray>
#include <QJsonObject>

namespace rivulet::gof {

namespace {

QJsonValue name(const QStringList& names, int index)
{
    if (index >= 0 && index < names.size())
        return names.at(index);
    return index;
}

QJsonValue optional(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonObject total(const Total& t)
{
    return QJsonObject{{QStringLiteral("chiSquare"), t.chiSquare},
                       {QStringLiteral("df"), t.df},
                       {QStringLiteral("p"), t.p}};
}

QJsonObject table(const ComponentTable& entry, const QStringList& occasionNames,
                  const QStringList& stratumNames)
{
    QJsonArray rows;
    for (const auto& row : entry.test.table) {
        QJsonArray cells;
        for (const std::int64_t count : row)
            cells.append(static_cast<qint64>(count));
        rows.append(cells);
    }
    QJsonObject object{{QStringLiteral("component"), QLatin1String(componentName(entry.component))},
                       {QStringLiteral("stratum"), name(stratumNames, entry.stratum)},
                       {QStringLiteral("occasion"), name(occasionNames, entry.occasion)},
                       {QStringLiteral("table"), rows},
                       {QStringLiteral("chiSquare"), entry.test.chiSquare},
                       {QStringLiteral("df"), entry.test.df},
                       {QStringLiteral("p"), entry.test.p},
                       {QStringLiteral("fisher"), entry.test.fisher}};
    if (entry.component == Component::Sm3 || entry.component == Component::CL2) {
        QJsonArray columns;
        for (int column = 0; column < static_cast<int>(entry.test.firstColumns.size()); ++column)
            columns.append(name(occasionNames, entry.columnOccasion(column)));
        object.insert(QStringLiteral("columnsFrom"), columns);
    } else {
        object.insert(QStringLiteral("z"), entry.test.z);
    }
    return object;
}

} // namespace

QJsonDocument componentTestsJson(const ComponentSummary& summary, const QStringList& occasionNames,
                                 const QStringList& stratumNames)
{
    QJsonArray tables;
    for (const ComponentTable& entry : summary.tables)
        tables.append(table(entry, occasionNames, stratumNames));
    const QJsonObject totals{{QStringLiteral("3.SR"), total(summary.sr3)},
                             {QStringLiteral("3.Sm"), total(summary.sm3)},
                             {QStringLiteral("2.CT"), total(summary.ct2)},
                             {QStringLiteral("2.CL"), total(summary.cl2)},
                             {QStringLiteral("test3"), total(summary.test3)},
                             {QStringLiteral("test2"), total(summary.test2)},
                             {QStringLiteral("overall"), total(summary.overall)}};
    return QJsonDocument(
        QJsonObject{{QStringLiteral("tables"), tables},
                    {QStringLiteral("totals"), totals},
                    {QStringLiteral("cHat"), optional(summary.cHat)},
                    {QStringLiteral("zTransience"), optional(summary.zTransience)},
                    {QStringLiteral("zTrapDependence"), optional(summary.zTrapDependence)}});
}

} // namespace rivulet::gof
