#pragma once

namespace rivulet {

enum class ParameterFamily
{
    Phi,     // survival and movement from site s-1 in year1 to site s in year2
    Lambda,  // reaching and being detected at the final site
    Capture, // detection at a site
};

// One parameter of the full index space of a parameter structure. For Lambda the site is
// the final site; for Capture year2 equals year1 (the year the fish passed the site).
// `cell` addresses the parameter's index and fixed-value cells inside the structure.
struct ParameterEntry
{
    ParameterFamily family = ParameterFamily::Phi;
    int release = 0;
    int site = 0;
    int year1 = 0;
    int year2 = 0;
    int cell = 0;
};

} // namespace rivulet
