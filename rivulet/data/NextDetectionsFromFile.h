#pragma once

#include "rivulet/data/TabulatedNextDetections.h"

namespace rivulet {

class CountsTokenizer;

// Next-detection counts read from a next-detections file (simulated data). read() fills the
// per-release and per-group counts from the counts section of the file, for the releases,
// sites and years the controllers hold (the simulated-data loader sets them from the
// header).
//
// The file holds only the per-release and per-group next-detection counts: it carries
// neither removals nor the pooled detection tables, so every pooled query (detections and
// removals by release, by release year, by release site, and the totals) answers 0. The
// release summary of simulated data therefore differs from that of the same fish loaded
// from a database; the likelihood reads only the per-release and per-group counts.
class NextDetectionsFromFile : public TabulatedNextDetections
{
public:
    using TabulatedNextDetections::TabulatedNextDetections;

    // Empties every table, then reads the counts section of the file. Throws lum::ParseError on a
    // malformed number; the tables are then left empty.
    void read(CountsTokenizer& tokens);
    // Nothing to recompute: the counts are those of the file.
    void update() override {}
    // Exchanges the counts with those of other (read on controllers with the same content).
    void swapCounts(NextDetectionsFromFile& other) noexcept { tables_.swap(other.tables_); }

private:
    void readRelease(CountsTokenizer& tokens, int release);
    void readMatrix(CountsTokenizer& tokens, CountMatrix& matrix, int firstSite, int firstYear);
};

} // namespace rivulet
