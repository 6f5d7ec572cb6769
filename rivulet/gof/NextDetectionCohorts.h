#pragma once

#include "rivulet/gof/ComponentTests.h"

#include <vector>

namespace rivulet {
class NextDetectionsI;
}

namespace rivulet::gof {

// The part of a study where sites act as occasions: one migration year's fish passing the
// sites in river order. The cohorts are the releases of that year by release site (fish
// released at a site are "first released" there; fish of releases upstream detected there
// were seen before, at their release), and the rows come from the next-detection counts.
//
// Within one migration year only: a fish whose next detection falls in a later year (a
// hold-over) leaves the table at its last detection of the year, as a removal would; it is
// neither seen again nor never seen. Fish removed at a detection are already absent from the
// counts' groups at that site, so they leave the rows there.
//
// The counts cannot tell, among the fish detected at a site, those seen there for the first
// time from those seen at an upstream site too, nor where each was seen next; so 3.SR and
// 3.Sm contrast fish released at a site with fish arriving from upstream, and a year whose
// releases are all at one site has no Test 3 table.

// One cohort array per year position, over every site position.
std::vector<CohortArray> cohortsByMigrationYear(const NextDetectionsI& counts);

// The component tables of every migration year (stratum = year position), summarized.
ComponentSummary studyComponentTests(const NextDetectionsI& counts);

} // namespace rivulet::gof
