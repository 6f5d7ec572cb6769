// Studies simulated from a fitted model: on average they hold the counts of the expected study,
// and the data's fish and removals unless every release is given its own number of fish.

#include "rivulet/simulation/FittedStudySimulator.h"
#include "common/SimulatedStudy.h"

#include <gtest/gtest.h>

namespace rivulet::test {
namespace {

using simulation::FittedStudySimulator;
using simulation::SimulatedCounts;

TEST(FittedStudySimulator, DrawsAverageToTheExpectedStudy)
{
    const FittedCountsStudy fitted(twoReleaseDesign(800), "simulator-mean");
    const CountsStudy& study = fitted.study;
    FittedStudySimulator simulator(fitted.structure, fitted.estimates, study.counts);
    simulator.setFishPerRelease(500);
    SimulatedCounts expected(study.releases, study.sites, study.years);
    simulator.expect(expected);
    const int draws = 400;
    std::mt19937_64 random(5);
    const QList<int> releases = study.releases.ids();
    const int S = study.sites.count();
    const int Y = study.years.count();
    std::vector<double> sums(static_cast<std::size_t>(releases.size() * S * Y), 0.0);
    std::vector<double> notSeen(static_cast<std::size_t>(releases.size()), 0.0);
    for (int d = 0; d < draws; ++d) {
        SimulatedCounts counts(study.releases, study.sites, study.years);
        simulator.simulate(random, counts);
        for (int r = 0; r < releases.size(); ++r) {
            const ReleaseId release{releases[r]};
            int total = counts.releaseNotSeen(release);
            notSeen[static_cast<std::size_t>(r)] += counts.releaseNotSeen(release);
            for (int s = 1; s < S; ++s) {
                for (int y = 0; y < Y; ++y) {
                    const int n = counts.releaseNextCounts(release).count(s, y);
                    total += n;
                    sums[static_cast<std::size_t>((r * S + s) * Y + y)] += n;
                }
            }
            ASSERT_EQ(total, 500);
        }
    }
    int compared = 0;
    for (int r = 0; r < releases.size(); ++r) {
        const ReleaseId release{releases[r]};
        EXPECT_NEAR(notSeen[static_cast<std::size_t>(r)] / draws, expected.releaseNotSeen(release),
                    2.0);
        for (int s = 1; s < S; ++s) {
            for (int y = 0; y < Y; ++y) {
                const double mean = sums[static_cast<std::size_t>((r * S + s) * Y + y)] / draws;
                const int want = expected.releaseNextCounts(release).count(s, y);
                // Within four standard errors of a binomial mean of 400 draws, and rounding.
                EXPECT_NEAR(mean, want, 4.0 * std::sqrt(want / double(draws)) + 0.5)
                    << "release " << r << " site " << s << " year " << y;
                compared += want > 0;
            }
        }
    }
    EXPECT_GT(compared, 4);
}

} // namespace
} // namespace rivulet::test
