#pragma once

#include <QJsonDocument>

namespace rivulet {

class ReleaseSummary;
class ReleasesControllerI;

// The release summary as a JSON document, for the command line's "summary --json":
//   { "dataClass", "eachReleaseEstimable", "firstGroupEstimable", "secondGroupEstimable",
//     "pooledEstimable",
//     "releases": [ { "label", "site", "year", "estimable", "transitionCells": [...],
//                     "captureCells": [...] } ],
//     "pooled": { "estimable", "transitionCells", "captureCells" },
//     "yearGroups" / "siteGroups": [ { "key", "estimable", "transitionCells",
//                                      "captureCells" } ] }
// A transition cell is { "site", "y1", "y2", "nextCount", "testCount", "exempt",
// "emptyHoldOver", "fixedAtZero", "fixedAtOne" }; a capture cell is { "year", "site",
// "count", "removals", "fixedAtZero" }. Cells are listed in down-river key order.
class ReleaseSummaryJson
{
public:
    ReleaseSummaryJson(const ReleaseSummary& summary, const ReleasesControllerI& releases);

    QJsonDocument document() const;

private:
    const ReleaseSummary& m_summary;
    const ReleasesControllerI& m_releases;
};

} // namespace rivulet
