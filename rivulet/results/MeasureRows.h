#pragma once

#include "rivulet/results/QuantityRow.h"

#include <vector>

namespace rivulet {

class ReleaseSummary;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;
struct ModelResult;

// The performance measures of one fitted model, one row per value the performance measure
// report lists (kind "measure"):
//   cohort_survival      per release (group: its label) and site below its release site;
//   age_composition      per age class (group: its label; year1: its year) and site below
//                        the first release's site;
//   down_river_survival  per release and year of the down-river table (site: the last
//                        detection site; year1: the year), when the model has that table.
// A measure without a usable variance has no standard error.
class MeasureRows
{
public:
    // Everything is read at construction only.
    MeasureRows(const ReleasesControllerI& releases, const SitesControllerI& sites,
                const YearsControllerI& years, const ReleaseSummary& summary,
                const ModelResult& result);

    const std::vector<QuantityRow>& rows() const { return rows_; }

private:
    std::vector<QuantityRow> rows_;
};

} // namespace rivulet
