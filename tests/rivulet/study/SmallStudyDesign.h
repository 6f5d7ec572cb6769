#pragma once

#include "tools/sim/StudySimulator.h"

namespace rivulet::test {

// Two release sites in one release year, four detection sites, two migration years: small
// enough to load and fit in a second, with every flow of a study to go through.
inline sim::StudyDesign smallStudyDesign()
{
    sim::StudyDesign design;
    design.seed = 11;
    design.releaseSites = 2;
    design.releaseYears = 1;
    design.years = 2;
    design.detectionSites = 4;
    design.fishPerRelease = 300;
    return design;
}

} // namespace rivulet::test
