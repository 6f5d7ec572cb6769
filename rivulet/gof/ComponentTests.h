#pragma once

#include "rivulet/gof/CohortArray.h"
#include "rivulet/gof/ContingencyTest.h"

#include <optional>
#include <vector>

namespace rivulet::gof {

// The four components of the goodness-of-fit tests of the Cormack-Jolly-Seber family.
enum class Component
{
    // Test 3.SR: among fish released at i, those seen before i vs those first released at i,
    // by seen again or not. Transients (fish that leave after their first release) make the
    // new fish come back less often.
    SR3,
    // Test 3.Sm: among those seen again, the same rows by the occasion of next detection.
    Sm3,
    // Test 2.CT: fish known alive at i but missed there vs fish seen at i, by next detection at
    // i+1 vs later. Trap dependence makes the fish seen at i come back sooner (or later).
    CT2,
    // Test 2.CL: the same rows, by the occasion of next detection beyond i+1.
    CL2
};

// One component table at one occasion of one stratum (the adapter's unit of analysis, e.g.
// one migration year; 0 where there is only one).
struct ComponentTable
{
    Component component = Component::SR3;
    int stratum = 0;
    int occasion = 0;
    // The test; for 3.Sm and 2.CL firstColumns are offsets of the next-detection occasion
    // from the first column's occasion (see columnOccasion).
    TableTest test;
    // The occasion of next detection that column `column` of a 3.Sm or 2.CL table starts at
    // (the pooled last column holds it and every later one).
    int columnOccasion(int column) const;
};

// A sum of components.
struct Total
{
    double chiSquare = 0.0;
    int df = 0;
    double p = 1.0;
};

struct ComponentSummary
{
    std::vector<ComponentTable> tables;
    Total sr3, sm3, ct2, cl2;
    Total test3, test2, overall;
    // overall X² / df; absent when df is 0.
    std::optional<double> cHat;
    // Sum of the signed roots of the 2x2 tables over the root of their number: positive for
    // transience (new fish seen again less often), negative for trap happiness (fish seen at i
    // seen again sooner). Absent when there is no table.
    std::optional<double> zTransience;
    std::optional<double> zTrapDependence;
};

// The component tables of one stratum, every occasion where a table has something to test
// (df > 0), in the order 3.SR, 3.Sm, 2.CT, 2.CL by occasion.
std::vector<ComponentTable> componentTables(const CohortArray& counts, int stratum = 0);

// Totals, ĉ and the directional statistics of tables (of one or several strata).
ComponentSummary summarize(std::vector<ComponentTable> tables);

// "3.SR", "3.Sm", "2.CT", "2.CL".
const char* componentName(Component component);

} // namespace rivulet::gof
