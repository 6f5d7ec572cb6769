#pragma once

#include "rivulet/counts/TabulatedNextDetections.h"

#include <cstdint>

namespace rivulet {

class CountsTokenizer;

// Next-detection counts read from a next-detections file (simulated data). read() fills the
// per-release and per-group counts from the counts section of the file, for the releases,
// sites and years the controllers hold (the simulated-data loader sets them from the
// header).
//
// The file holds only the per-release and per-group next-detection counts. The detections and
// removals by release, the first detections by release year and release site, and the totals
// are derived from them, so the release summary of a study read from its counts file is that
// of the same study read from the database. Only which removed fish had been first detected at
// a point above the final site is not in the file: those first-removal counts answer 0.
class NextDetectionsFromFile : public TabulatedNextDetections
{
public:
    using TabulatedNextDetections::TabulatedNextDetections;

    // Empties every table, then reads the counts section of the file. Throws lum::ParseError on a
    // malformed number, or when the counts add up to more than a count can hold (every pooled
    // count and total is then sure to fit); the tables are then left empty.
    void read(CountsTokenizer& tokens);
    // Nothing to recompute: the counts are those of the file.
    void update() override {}
    // Exchanges the counts with those of other (read on controllers with the same content).
    void swapCounts(NextDetectionsFromFile& other) noexcept { m_tables.swap(other.m_tables); }

private:
    void readRelease(CountsTokenizer& tokens, int release);
    void deriveDetections(int release);
    void readMatrix(CountsTokenizer& tokens, CountMatrix& matrix, int firstSite, int firstYear);
    int readCount(CountsTokenizer& tokens);

    std::int64_t m_total = 0;
};

} // namespace rivulet
