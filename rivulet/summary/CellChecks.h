#pragma once

#include "rivulet/summary/SummaryTables.h"

namespace rivulet {

// The tests the release summary applies to the cells of one set of tables.
class CellChecks
{
public:
    // A capture cell is reachable when at least one of its arriving cells is not exempt.
    static bool isReachable(const SummaryTables& tables, const CaptureKey& key);

    // A capture cell passes the downstream test when one of its leaving cells that is
    // neither exempt nor an empty hold-over arrives at a capture cell of the same tables
    // whose count is above 0 or which itself passes the test. A leaving cell whose arrival
    // has no capture cell leads nowhere; an unknown capture cell fails.
    static bool passesDownstream(const SummaryTables& tables, const CaptureKey& key);

    // False when a transition cell is neither exempt nor fixed at one and no fish tested it,
    // or when a capture cell with fish has arriving cells that are all exempt.
    static bool isEstimable(const SummaryTables& tables);
};

} // namespace rivulet
