#pragma once

#include "rivulet/model/EquatingScheme.h"
#include "rivulet/model/ParameterStructure.h"

namespace rivulet {

class ReleaseSummary;

// Turns the full parameter structure into one model's structure: first the parameters that
// the release summary marks as fixed by the data, then the equating of capture parameters
// and of survival-and-movement parameters across releases by the scheme's codes.
class ModelApplication
{
public:
    static void apply(const ReleaseSummary& summary, const EquatingScheme& scheme,
                      ParameterStructure& structure);

    static void fixByData(const ReleaseSummary& summary, ParameterStructure& structure);
    static void equateCapture(int code, ParameterStructure& structure);
    static void equateSurvival(int code, ParameterStructure& structure);
    // The same steps as changes to `structure`, to be applied at once.
    static void fixByData(const ReleaseSummary& summary, const ParameterStructure& structure,
                          ParameterStructure::Changes& changes);
    static void equateCapture(int code, const ParameterStructure& structure,
                              ParameterStructure::Changes& changes);
    static void equateSurvival(int code, const ParameterStructure& structure,
                               ParameterStructure::Changes& changes);

    // Whether the equating code ties releases r1 and r2 together.
    static bool pairSelected(int code, const ParameterStructure& structure, int r1, int r2);
};

} // namespace rivulet
