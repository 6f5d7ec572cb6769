#include "rivulet/gof/ComponentTests.h"

#include <cmath>
#include <numeric>

namespace rivulet::gof {

namespace {

std::int64_t sumFrom(const std::vector<std::int64_t>& next, int from)
{
    if (from >= static_cast<int>(next.size()))
        return 0;
    return std::accumulate(next.begin() + from, next.end(), std::int64_t{0});
}

std::vector<std::int64_t> tail(const std::vector<std::int64_t>& next, int from)
{
    if (from >= static_cast<int>(next.size()))
        return {};
    return std::vector<std::int64_t>(next.begin() + from, next.end());
}

void append(std::vector<ComponentTable>& tables, Component component, int stratum, int occasion,
            const Table& table, Pooling pooling)
{
    ComponentTable entry;
    entry.component = component;
    entry.stratum = stratum;
    entry.occasion = occasion;
    entry.test = testTable(table, pooling);
    if (entry.test.df > 0)
        tables.push_back(std::move(entry));
}

void addTo(Total& total, const TableTest& test)
{
    total.chiSquare += test.chiSquare;
    total.df += test.df;
}

Total sum(const Total& a, const Total& b)
{
    return Total{a.chiSquare + b.chiSquare, a.df + b.df, 1.0};
}

void finish(Total& total)
{
    total.p = chiSquareUpperTail(total.chiSquare, total.df);
}

} // namespace

int ComponentTable::columnOccasion(int column) const
{
    // 3.Sm tables start at the next occasion, 2.CL tables one further.
    const int first = occasion + (component == Component::CL2 ? 2 : 1);
    return first + test.firstColumns.at(static_cast<std::size_t>(column));
}

std::vector<ComponentTable> componentTables(const CohortArray& counts, int stratum)
{
    std::vector<ComponentTable> sr, sm, ct, cl;
    const int k = counts.occasions();
    // Next detections of every fish released before the loop's occasion, by occasion.
    std::vector<std::int64_t> releasedBefore(static_cast<std::size_t>(k), 0);
    for (int i = 0; i < k; ++i) {
        const CohortArray::Row before = counts.seenBefore(i);
        const CohortArray::Row fresh = counts.firstReleased(i);
        // Rows: seen before i, first released at i; so ad > bc (a positive z) means the new fish
        // are seen again less often than the old ones.
        append(sr, Component::SR3, stratum, i,
               {{before.seenAgain(), before.neverSeenAgain},
                {fresh.seenAgain(), fresh.neverSeenAgain}},
               Pooling::None);
        append(sm, Component::Sm3, stratum, i, {tail(before.next, i + 1), tail(fresh.next, i + 1)},
               Pooling::FromFarEnd);

        // Known alive at i but missed there: released before i, next seen after i (only the
        // columns after i of the running sum are read).
        const std::vector<std::int64_t>& missed = releasedBefore;
        const CohortArray::Row seen = counts.released(i);
        if (i + 1 < k) {
            // Rows: missed at i, seen at i; columns: next at i+1, later. A negative z means the
            // fish seen at i are seen again sooner: trap happiness.
            const auto at = static_cast<std::size_t>(i + 1);
            append(
                ct, Component::CT2, stratum, i,
                {{missed[at], sumFrom(missed, i + 2)}, {seen.next[at], sumFrom(seen.next, i + 2)}},
                Pooling::None);
        }
        append(cl, Component::CL2, stratum, i, {tail(missed, i + 2), tail(seen.next, i + 2)},
               Pooling::FromFarEnd);
        for (int next = i + 1; next < k; ++next)
            releasedBefore[static_cast<std::size_t>(next)] +=
                seen.next[static_cast<std::size_t>(next)];
    }
    std::vector<ComponentTable> tables;
    for (auto* part : {&sr, &sm, &ct, &cl})
        tables.insert(tables.end(), part->begin(), part->end());
    return tables;
}

ComponentSummary summarize(std::vector<ComponentTable> tables)
{
    ComponentSummary summary;
    double zSr = 0, zCt = 0;
    int nSr = 0, nCt = 0;
    for (const ComponentTable& table : tables) {
        switch (table.component) {
        case Component::SR3:
            addTo(summary.sr3, table.test);
            zSr += table.test.z;
            ++nSr;
            break;
        case Component::Sm3:
            addTo(summary.sm3, table.test);
            break;
        case Component::CT2:
            addTo(summary.ct2, table.test);
            zCt += table.test.z;
            ++nCt;
            break;
        case Component::CL2:
            addTo(summary.cl2, table.test);
            break;
        }
    }
    summary.test3 = sum(summary.sr3, summary.sm3);
    summary.test2 = sum(summary.ct2, summary.cl2);
    summary.overall = sum(summary.test3, summary.test2);
    for (Total* total : {&summary.sr3, &summary.sm3, &summary.ct2, &summary.cl2, &summary.test3,
                         &summary.test2, &summary.overall})
        finish(*total);
    if (summary.overall.df > 0)
        summary.cHat = summary.overall.chiSquare / summary.overall.df;
    // Under a fitting model each table's signed root is about standard normal, so their sum
    // over the root of their number is too.
    if (nSr > 0)
        summary.zTransience = zSr / std::sqrt(double(nSr));
    if (nCt > 0)
        summary.zTrapDependence = zCt / std::sqrt(double(nCt));
    summary.tables = std::move(tables);
    return summary;
}

const char* componentName(Component component)
{
    switch (component) {
    case Component::SR3:
        return "3.SR";
    case Component::Sm3:
        return "3.Sm";
    case Component::CT2:
        return "2.CT";
    case Component::CL2:
        return "2.CL";
    }
    return "";
}

} // namespace rivulet::gof
