#pragma once

#include "lum/core/Expected.h"
#include "rivulet/model/FitOptions.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace rivulet {

class NextDetectionsI;
class ParameterStructure;

namespace design {

// How one quantity fares with a number of fish per release.
struct DesignRow
{
    int fish = 0;
    QString quantity;
    bool measure = false;
    bool finalSurvival = false;
    double truth = 0.0;
    // Over the replicates whose fit converged: the mean estimate and the empirical standard
    // deviation of the estimates (NaN with fewer than two).
    double mean = 0.0;
    double sd = 0.0;
    // Over the replicates that reported a standard error: its mean, and the share whose 95%
    // interval (on the logit scale, as the results give it) covers the truth; NaN without any.
    double meanSe = 0.0;
    double coverage = 0.0;
    // From the expected information at the truth; NaN where it gives none.
    double expectedSe = 0.0;
    // sd / truth; NaN for a truth of 0.
    double cv = 0.0;
    int fitted = 0;
    int withSe = 0;
};

// A study design judged by simulation: a fitted model's estimates are taken as the truth; for
// each number of fish per release, studies of the data's design (releases, sites, years,
// removal shares) are simulated with that many fish in every release and fitted by the same
// model, and every quantity (designQuantities()) is summarised over them. Beside it, the
// standard errors the expected information at the truth gives, which need no simulation: the
// Hessian at the truth of the study whose counts are their expectations.
//
// Job j (fish number j / R, replicate j % R) draws from a generator seeded with (seed, j), so
// the figures depend on the seed only, not on the threads. Simulated studies live in memory.
class DesignRun
{
public:
    struct Result
    {
        std::vector<int> fish;
        int replicates = 0;
        std::uint64_t seed = 0;
        // Fish number by fish number, the quantities in the same order for each.
        std::vector<DesignRow> rows;
        int failed = 0; // replicates whose fit did not converge
        bool canceled = false;
        // Seconds of work summed over the threads, and the run's wall time.
        double simulateSeconds = 0.0;
        double fitSeconds = 0.0;
        double expectedSeconds = 0.0;
        double wallSeconds = 0.0;
    };

    // All borrowed: the data (for the design and the controllers), the model's structure and
    // its values (the truth). The options' covariance and profiles are set by the run.
    DesignRun(const NextDetectionsI& data, const ParameterStructure& structure,
              const std::vector<double>& truth, const FitOptions& options);
    ~DesignRun();

    // `progress` (one call at a time, from any thread) gets the number of replicates done of
    // fish.size() * replicates.
    void run(const std::vector<int>& fish, int replicates, std::uint64_t seed,
             const std::atomic<bool>& cancel, const std::function<void(int)>& progress = {});

    const Result& result() const { return m_result; }

private:
    const NextDetectionsI& m_data;
    const ParameterStructure& m_structure;
    const std::vector<double>& m_truth;
    FitOptions m_options;
    Result m_result;
};

// A precision to reach: a coefficient of variation of a quantity, named as in the rows, or
// "final" for every release's survival to the detection site furthest down-river.
struct DesignTarget
{
    QString quantity;
    double cv = 0.0;

    // "QUANTITY:CV", CV a share (0.1) or a percentage (10%); an input error otherwise.
    static lum::Expected<DesignTarget> parse(const QString& text);
    bool matches(const DesignRow& row) const;
};

// The smallest number of fish per release that reaches the target, read off the simulated
// curve: between the two fish numbers whose CVs straddle the target, log CV is taken as linear
// in log fish; beyond the numbers simulated, the CV as falling with 1/√fish from the nearest
// one (`extrapolated`). With several quantities (final), the largest of their answers.
struct DesignAnswer
{
    bool found = false;
    int fish = 0;
    bool extrapolated = false;
    QString quantity; // the quantity that needs the most fish
    QString reason;   // why there is no answer
};
DesignAnswer answerTarget(const std::vector<DesignRow>& rows, const DesignTarget& target);

// The rows as CSV: fish, quantity, truth, mean, sd, mean_se, expected_se, cv, coverage.
QString designCsv(const std::vector<DesignRow>& rows);

// "250,500,1000": positive, distinct numbers, sorted; an input error otherwise.
lum::Expected<std::vector<int>> parseFishList(const QString& text);

} // namespace design
} // namespace rivulet
