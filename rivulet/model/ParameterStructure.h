#pragma once

#include "rivulet/model/ParameterEntry.h"

#include <cstdint>
#include <vector>

namespace rivulet {

class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// The full parameter space of the branching model for the releases, sites and years in the
// analysis, and where each parameter lives: a position in the free parameter vector, or a
// fixed value. Every model starts from the same structure; applying a model fixes and merges
// parameters (fix, equate) without ever leaving a gap in the free positions.
//
// Index cells hold NoParameter outside the index space, Fixed for a fixed parameter, and
// otherwise the parameter's free position 0 .. numFree()-1. A value type: each fitted model
// works on its own copy.
class ParameterStructure
{
public:
    static constexpr std::int32_t NoParameter = -2;
    static constexpr std::int32_t Fixed = -1;

    ParameterStructure() = default;
    // Reads the release positions and the counts from the controllers, which stay borrowed.
    ParameterStructure(const ReleasesControllerI& releases, const SitesControllerI& sites,
                       const YearsControllerI& years);
    // Builds the index space from the positions of each release's site and year alone.
    ParameterStructure(std::vector<int> releaseSites, std::vector<int> releaseYears, int siteCount,
                       int yearCount);

    const ReleasesControllerI* releasesController() const { return m_releases; }
    const SitesControllerI* sitesController() const { return m_sites; }
    const YearsControllerI* yearsController() const { return m_years; }

    int releaseCount() const { return static_cast<int>(m_relSites.size()); }
    int siteCount() const { return m_siteCount; }
    int yearCount() const { return m_yearCount; }
    int relSite(int r) const { return m_relSites[static_cast<std::size_t>(r)]; }
    int relYear(int r) const { return m_relYears[static_cast<std::size_t>(r)]; }
    // False for a release whose site or year is not in the analysis or whose site leaves no
    // detection site below it: such a release has no parameters.
    bool isModelled(int r) const;

    // Flat cell addresses of the three families, -1 outside the tables' dimensions.
    int phiCell(int r, int s, int y1, int y2) const;
    int lambdaCell(int r, int y1, int y2) const;
    int captureCell(int r, int s, int y) const;
    int cellCount() const { return static_cast<int>(m_index.size()); }
    // The same addresses without range checks, for loops that stay inside the index space.
    int phiOffset(int r, int s, int y1, int y2) const
    {
        return ((r * m_siteCount + s) * m_yearCount + y1) * m_yearCount + y2;
    }
    int lambdaOffset(int r, int y1, int y2) const
    {
        return m_lambdaBase + (r * m_yearCount + y1) * m_yearCount + y2;
    }
    int captureOffset(int r, int s, int y) const
    {
        return m_captureBase + (r * m_siteCount + s) * m_yearCount + y;
    }
    std::int32_t indexOfCell(int cell) const;
    double fixedValueOfCell(int cell) const;

    std::int32_t phiIndex(int r, int s, int y1, int y2) const;
    std::int32_t lambdaIndex(int r, int y1, int y2) const;
    std::int32_t captureIndex(int r, int s, int y) const;
    double phiFixed(int r, int s, int y1, int y2) const;
    double lambdaFixed(int r, int y1, int y2) const;
    double captureFixed(int r, int s, int y) const;

    // Every parameter of the index space in numbering order.
    const std::vector<ParameterEntry>& entries() const { return m_entries; }
    std::int32_t entryIndex(int k) const;
    double entryFixedValue(int k) const;

    std::int32_t numFree() const { return m_numFree; }

    // Fixes every parameter at free position i to value; later positions close the gap.
    // Nothing happens for a negative or unused position.
    void fix(std::int32_t i, double value);
    // Merges the parameters at free positions a and b into the lower of the two; later
    // positions close the gap. Nothing happens unless both are distinct positions in use.
    void equate(std::int32_t a, std::int32_t b);

    // Many fixes and merges at once, named by cell. Each has the effect fix() or equate()
    // would have on the cells' positions at that moment, but the positions are renumbered
    // once, by apply(), instead of after every change: a model of a few hundred releases
    // merges tens of thousands of parameters, and each renumbering passes over all of them.
    class Changes
    {
    public:
        // Changes to `structure` as it is now.
        explicit Changes(const ParameterStructure& structure);
        // Fixes the parameter of the cell, and all merged with it, to value.
        void fix(int cell, double value);
        // Merges the parameters of the two cells; nothing for a fixed or unused one.
        void equate(int cellA, int cellB);
        // Renumbers the structure the changes were made for, unchanged meanwhile.
        void apply(ParameterStructure& structure);

    private:
        // The start position of the merged parameter's first member; a merged parameter
        // keeps the lowest position of its members, as equate() does.
        std::int32_t root(std::int32_t position);
        std::int32_t positionOf(int cell) const;

        const std::vector<std::int32_t>& m_index;
        std::vector<std::int32_t> m_parent; // by start position
        std::vector<char> m_isFixed;        // by root
        std::vector<double> m_value;        // by root
    };

    // The last site at which fish may still change year: the final site when any free lambda
    // spans two years, else the furthest site of a free year-changing phi, else 1.
    int residualizationSite() const;

private:
    void dimension();
    void number();
    void addEntry(ParameterFamily family, int r, int s, int y1, int y2, int cell);

    const ReleasesControllerI* m_releases = nullptr;
    const SitesControllerI* m_sites = nullptr;
    const YearsControllerI* m_years = nullptr;
    std::vector<int> m_relSites;
    std::vector<int> m_relYears;
    int m_siteCount = 0;
    int m_yearCount = 0;
    int m_lambdaBase = 0;
    int m_captureBase = 0;
    // The index and fixed-value tables of all three families, one block after the other:
    // phi [R][S][Y][Y], lambda [R][Y][Y], capture [R][S][Y].
    std::vector<std::int32_t> m_index;
    std::vector<double> m_fixed;
    std::vector<ParameterEntry> m_entries;
    std::int32_t m_numFree = 0;
};

} // namespace rivulet
