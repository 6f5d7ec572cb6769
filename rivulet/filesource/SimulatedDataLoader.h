#pragma once

class QTextStream;

namespace rivulet {

class CountsFileReleasesController;
class CountsFileSitesController;
class CountsFileYearsController;
class NextDetectionsFromFile;

// Loads a next-detections file as the data set of a counts-file study: its header (release, site
// and year counts, each release's site and year positions, fish numbers) sets the counts-file
// controllers, its counts section the counts.
//
// Site positions are named "S1", "S2", ... (long names "Simulated site 1", ...); years are
// the calendar years 2008, 2009, ...; a release is labelled by its site's short name and
// year ("S1 2008").
//
// Everything is read into fresh objects first: a malformed file throws lum::ParseError
// ("integer expected", or "value out of range" for a count that cannot be, such as a
// negative count or a release position outside the sites or years; counts that add up to
// more than a count can hold; a release's fish number that is not its never-seen fish plus
// its first detections) and leaves the controllers and counts given to the loader exactly
// as they were.
class SimulatedDataLoader
{
public:
    // Upper bound of the site and year counts accepted from a file.
    static constexpr int MaxDimension = 1000;

    SimulatedDataLoader(CountsFileReleasesController& releases, CountsFileSitesController& sites,
                        CountsFileYearsController& years, NextDetectionsFromFile& counts);

    void load(QTextStream& in);
    // Empties the data set: no sites, years, releases or counts.
    void clear();

private:
    CountsFileReleasesController& m_releases;
    CountsFileSitesController& m_sites;
    CountsFileYearsController& m_years;
    NextDetectionsFromFile& m_counts;
};

} // namespace rivulet
