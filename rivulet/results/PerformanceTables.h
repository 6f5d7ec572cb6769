#pragma once

#include "rivulet/results/QuantityRow.h"
#include "rivulet/results/ReportDocument.h"

#include <vector>

namespace rivulet {

class EstimationResults;
class ReleaseSummary;
struct ModelDescription;
struct ModelResult;
struct ReportSources;

// The performance measures of one fitted model, walked once into the two forms every output
// takes them from:
//   document()  the "Performance Measures" report: the overall cohort survival, the survival
//               of every release to every site below it (releases whose survival is not
//               joined with the first release's under the model are marked), the age
//               composition of the first release's migrants by site and, when fish can no
//               longer hold over above the last detection site, the down-river survivals
//               below the residualization site;
//   measures()  the same values as rows (kind "measure"):
//     cohort_survival      per release (group: its label) and site below its release site;
//     age_composition      per age class (group: its label; year1: its year) and site below
//                          the first release's site;
//     down_river_survival  per release and year of the down-river table (site: the last
//                          detection site; year1: the year), when the model has that table.
// A measure without a usable variance has no standard error.
class PerformanceTables
{
public:
    // Everything is read at construction only.
    PerformanceTables(const ReportSources& sources, const ModelDescription& model,
                      const ModelResult& result);

    const ReportDocument& document() const { return m_document; }
    const std::vector<QuantityRow>& measures() const { return m_measures; }

    // The measures of model i of the results.
    static std::vector<QuantityRow> measuresOf(const EstimationResults& results, int model,
                                               const ReleaseSummary& summary);

private:
    ReportDocument m_document;
    std::vector<QuantityRow> m_measures;
};

} // namespace rivulet
