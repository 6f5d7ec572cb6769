#pragma once

#include "rivulet/counts/TabulatedNextDetections.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace lum {
class WorkerPool;
}

namespace rivulet {

class ParameterStructure;

namespace simulation {

// The counts of one simulated study, on the data's controllers.
class SimulatedCounts : public TabulatedNextDetections
{
public:
    using TabulatedNextDetections::TabulatedNextDetections;
    NextDetectionTables& tables() { return m_tables; }
    void update() override {}
};

// Studies simulated from a fitted model, with the data's releases and removals: the fish of
// each release go to their first detection (or none) by the model's cell probabilities, a
// detected fish is removed with the share of removals the data have for that release, site and
// year, and those kept go on to their next detection by the chances of their group, down to the
// last site. Each release has the data's number of fish unless setFishPerRelease() gives every
// release the same number.
//
// Reads the data and the model at construction only; simulate() and expect() are const and run
// on several threads at once.
class FittedStudySimulator
{
public:
    FittedStudySimulator(const ParameterStructure& structure, const std::vector<double>& values,
                         const NextDetectionsI& data);

    void setFishPerRelease(std::int64_t fish);

    // One study drawn from `random` into `counts`, whose controllers are the data's.
    void simulate(std::mt19937_64& random, SimulatedCounts& counts) const;
    // The study every count of which is its expectation, rounded: its log-likelihood is the
    // expected one, and its Hessian at the model's values minus the expected information.
    void expect(SimulatedCounts& counts) const;

private:
    template <class Split>
    void fill(Split& split, SimulatedCounts& counts) const;

    std::size_t at(int r, int s, int y) const
    {
        return static_cast<std::size_t>((r * m_siteCount + s) * m_yearCount + y);
    }

    // Per likelihood cell (in the likelihood's order): release position, site, year, fish (the
    // release's, for its first cell) and the chances of its outcomes laid out [site][year].
    struct Cell
    {
        int release = 0;
        int site = 0;
        int year = 0;
        std::int64_t fish = 0;
        bool first = false;
        std::vector<double> next;
    };
    std::vector<Cell> m_cells;
    // The data's share of the release's detections at (s, y) that removed the fish.
    std::vector<double> m_removalShare;
    std::vector<int> m_releaseIds;
    int m_siteCount = 0;
    int m_yearCount = 0;
};

// Runs jobs 0 .. count-1 side by side on the pool. Job i draws from a generator seeded with
// (seed, i), so what it draws depends on the seed only, not on the threads. A cancellation
// leaves the jobs not begun undone; `progress` (one call at a time, from any thread) gets the
// number of jobs finished.
void forEachReplicate(lum::WorkerPool& pool, std::size_t count, std::uint64_t seed,
                      const std::atomic<bool>& cancel,
                      const std::function<void(std::size_t, std::mt19937_64&)>& job,
                      const std::function<void(int)>& progress = {});

} // namespace simulation
} // namespace rivulet
