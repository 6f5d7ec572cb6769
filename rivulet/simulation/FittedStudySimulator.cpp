#include "rivulet/simulation/FittedStudySimulator.h"

#include "lum/thread/WorkerPool.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/RivuletLikelihood.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace rivulet::simulation {

namespace {

// Fish split at random: multinomial and binomial draws.
struct Draws
{
    using Count = std::int64_t;

    std::mt19937_64& random;

    // A multinomial draw of `fish` over `chances` (the rest of the probability is the last
    // outcome, never seen) by conditional binomials; counts into `drawn`, the rest returned.
    Count multinomial(Count fish, const std::vector<double>& chances, std::vector<Count>& drawn)
    {
        drawn.assign(chances.size(), 0);
        double left = 1.0;
        for (std::size_t j = 0; j < chances.size() && fish > 0; ++j) {
            const double chance = chances[j];
            if (chance <= 0.0)
                continue;
            const double share = left > 0.0 ? std::min(chance / left, 1.0) : 1.0;
            const Count n = std::binomial_distribution<Count>(fish, share)(random);
            drawn[j] = n;
            fish -= n;
            left -= chance;
        }
        return fish;
    }

    Count binomial(Count fish, double chance)
    {
        if (fish <= 0 || chance <= 0.0)
            return 0;
        if (chance >= 1.0)
            return fish;
        return std::binomial_distribution<Count>(fish, chance)(random);
    }

    static std::int32_t stored(Count n) { return static_cast<std::int32_t>(n); }
};

// Fish split by their expectations; the tables get them rounded.
struct Expectations
{
    using Count = double;

    Count multinomial(Count fish, const std::vector<double>& chances, std::vector<Count>& drawn)
    {
        drawn.assign(chances.size(), 0.0);
        double left = 1.0;
        for (std::size_t j = 0; j < chances.size(); ++j) {
            const double chance = std::max(chances[j], 0.0);
            drawn[j] = fish * chance;
            left -= chance;
        }
        return fish * std::max(left, 0.0);
    }

    static Count binomial(Count fish, double chance) { return fish * std::clamp(chance, 0.0, 1.0); }

    static std::int32_t stored(Count n) { return static_cast<std::int32_t>(std::llround(n)); }
};

} // namespace

FittedStudySimulator::FittedStudySimulator(const ParameterStructure& structure,
                                           const std::vector<double>& values,
                                           const NextDetectionsI& data)
{
    const ReleasesControllerI& releases = data.releasesController();
    const SitesControllerI& sites = data.sitesController();
    const YearsControllerI& years = data.yearsController();
    RivuletLikelihood likelihood(structure, data, releases, sites, years);
    std::vector<std::vector<double>> next;
    std::vector<double> neverSeen;
    likelihood.cellProbabilities(values, next, neverSeen);

    m_siteCount = sites.count();
    m_yearCount = years.count();
    const QList<int> ids = releases.ids();
    m_releaseIds.assign(ids.begin(), ids.end());
    const std::size_t size = static_cast<std::size_t>(releases.count()) *
                             static_cast<std::size_t>(m_siteCount) *
                             static_cast<std::size_t>(m_yearCount);
    m_removalShare.assign(size, 0.0);
    const auto& cells = likelihood.cells();
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const LikelihoodCell& cell = cells[k];
        Cell simulated;
        simulated.release = cell.release();
        simulated.site = cell.site();
        simulated.year = cell.year();
        simulated.first = cell.site() == cell.releaseSite() && cell.year() == cell.releaseYear();
        simulated.fish = simulated.first ? cell.fishCount() : 0;
        simulated.next = std::move(next[k]);
        m_cells.push_back(std::move(simulated));
    }
    for (int r = 0; r < releases.count(); ++r) {
        const ReleaseId release{m_releaseIds[static_cast<std::size_t>(r)]};
        for (int s = 1; s < m_siteCount; ++s) {
            for (int y = 0; y < m_yearCount; ++y) {
                const int detections = data.releaseDetections(release, s, y);
                if (detections > 0)
                    m_removalShare[at(r, s, y)] =
                        static_cast<double>(data.releaseRemovals(release, s, y)) / detections;
            }
        }
    }
}

void FittedStudySimulator::setFishPerRelease(std::int64_t fish)
{
    for (Cell& cell : m_cells) {
        if (cell.first)
            cell.fish = fish;
    }
}

void FittedStudySimulator::simulate(std::mt19937_64& random, SimulatedCounts& counts) const
{
    Draws draws{random};
    fill(draws, counts);
}

void FittedStudySimulator::expect(SimulatedCounts& counts) const
{
    Expectations expectations;
    fill(expectations, counts);
}

template <class Split>
void FittedStudySimulator::fill(Split& split, SimulatedCounts& counts) const
{
    using Count = typename Split::Count;
    const int S = m_siteCount;
    const int Y = m_yearCount;
    NextDetectionTables& tables = counts.tables();
    tables.reset(S, Y);
    // Fish at each group of each release, filled from above as the simulation goes down.
    std::vector<Count> atGroup(m_removalShare.size(), Count{});
    std::vector<Count> drawn;
    for (const Cell& cell : m_cells) {
        const int r = cell.release;
        const ReleaseId release{m_releaseIds[static_cast<std::size_t>(r)]};
        const Count fish =
            cell.first ? static_cast<Count>(cell.fish) : atGroup[at(r, cell.site, cell.year)];
        const Count never = split.multinomial(fish, cell.next, drawn);
        const bool any = Split::stored(fish) > 0;
        NextDetectionTables::ReleaseCounts* releaseCounts =
            cell.first ? &tables.release(release.value) : nullptr;
        NextDetectionTables::GroupCounts* group =
            cell.first || !any ? nullptr : &tables.group(release.value, cell.site, cell.year);
        if (releaseCounts)
            releaseCounts->notSeen = Split::stored(never);
        if (group)
            group->notSeenAgain = Split::stored(never);
        for (int s = cell.site + 1; s < S; ++s) {
            for (int y = cell.year; y < Y; ++y) {
                const Count n = drawn[static_cast<std::size_t>(s * Y + y)];
                if (Split::stored(n) == 0)
                    continue;
                const Count removed =
                    s == S - 1 ? Count{} : split.binomial(n, m_removalShare[at(r, s, y)]);
                if (releaseCounts) {
                    releaseCounts->next.add(s, y, Split::stored(n));
                    if (Split::stored(removed) > 0)
                        releaseCounts->removed.add(s, y, Split::stored(removed));
                } else if (group) {
                    group->next.add(s, y, Split::stored(n));
                    if (Split::stored(removed) > 0)
                        group->removed.add(s, y, Split::stored(removed));
                }
                if (s < S - 1)
                    atGroup[at(r, s, y)] += n - removed;
            }
        }
    }
}

void forEachReplicate(lum::WorkerPool& pool, std::size_t count, std::uint64_t seed,
                      const std::atomic<bool>& cancel,
                      const std::function<void(std::size_t, std::mt19937_64&)>& job,
                      const std::function<void(int)>& progress)
{
    std::mutex progressMutex;
    int finished = 0;
    pool.parallelFor(count, [&](std::size_t i) {
        if (cancel.load())
            return;
        std::seed_seq sequence{static_cast<std::uint32_t>(seed),
                               static_cast<std::uint32_t>(seed >> 32),
                               static_cast<std::uint32_t>(i)};
        std::mt19937_64 random(sequence);
        job(i, random);
        if (cancel.load())
            return;
        const std::lock_guard<std::mutex> lock(progressMutex);
        ++finished;
        if (progress)
            progress(finished);
    });
}

} // namespace rivulet::simulation
