#include "rivulet/model/ProbabilitySets.h"

#include "rivulet/model/ParameterStructure.h"

namespace rivulet {

namespace {

// Entries come in numbering order, where the members of one movement set follow one another
// with y2 ascending.
bool sameSet(const ParameterEntry& a, const ParameterEntry& b)
{
    return a.family != ParameterFamily::Capture && a.family == b.family && a.release == b.release &&
           a.site == b.site && a.year1 == b.year1;
}

} // namespace

std::vector<ProbabilitySet> probabilitySets(const ParameterStructure& structure)
{
    std::vector<ProbabilitySet> sets;
    const std::vector<ParameterEntry>& entries = structure.entries();
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const ParameterEntry& entry = entries[k];
        if (k == 0 || !sameSet(entries[k - 1], entry)) {
            sets.emplace_back();
            sets.back().first = entry;
        }
        ProbabilitySet& set = sets.back();
        set.cells.push_back(entry.cell);
        const std::int32_t index = structure.indexOfCell(entry.cell);
        if (index >= 0)
            set.freeIndices.push_back(index);
        else
            set.fixedSum += structure.fixedValueOfCell(entry.cell);
    }
    return sets;
}

} // namespace rivulet
