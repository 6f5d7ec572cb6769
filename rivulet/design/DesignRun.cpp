#include "rivulet/design/DesignRun.h"

#include "lum/estimation/DenseMatrix.h"
#include "lum/report/CsvText.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/design/DesignQuantities.h"
#include "rivulet/model/ModelFit.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/results/CsvNumber.h"
#include "rivulet/results/LogitInterval.h"
#include "rivulet/simulation/FittedStudySimulator.h"

#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <set>

namespace rivulet::design {

namespace {

using Clock = std::chrono::steady_clock;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What one replicate found: every quantity's estimate and standard error (NaN for none).
struct Replicate
{
    bool converged = false;
    std::vector<double> estimates;
    std::vector<double> errors;
    double simulateSeconds = 0.0;
    double fitSeconds = 0.0;
};

// The number of fish per release of the study of expected counts: large, so that rounding its
// counts costs nothing, yet every count fits the tables.
std::int64_t expectedStudyFish(int releases)
{
    return std::min<std::int64_t>(10'000'000, 1'000'000'000 / std::max(releases, 1));
}

} // namespace

DesignRun::DesignRun(const NextDetectionsI& data, const ParameterStructure& structure,
                     const std::vector<double>& truth, const FitOptions& options)
    : m_data(data), m_structure(structure), m_truth(truth), m_options(options)
{
    m_options.covariance = true;
    m_options.profiles = FitOptions::Profiles::None;
}

DesignRun::~DesignRun() = default;

void DesignRun::run(const std::vector<int>& fish, int replicates, std::uint64_t seed,
                    const std::atomic<bool>& cancel, const std::function<void(int)>& progress)
{
    m_result = Result{};
    m_result.fish = fish;
    m_result.replicates = replicates;
    m_result.seed = seed;
    const Clock::time_point start = Clock::now();
    const ReleasesControllerI& releases = m_data.releasesController();
    const SitesControllerI& sites = m_data.sitesController();
    const YearsControllerI& years = m_data.yearsController();
    const simulation::FittedStudySimulator simulator(m_structure, m_truth, m_data);

    // The expected information at the truth, for a study of `many` fish per release: the
    // covariance of n fish per release is this one times many / n.
    const Clock::time_point expectedStart = Clock::now();
    const std::int64_t many = expectedStudyFish(releases.count());
    simulation::SimulatedCounts expected(releases, sites, years);
    {
        simulation::FittedStudySimulator large = simulator;
        large.setFishPerRelease(many);
        large.expect(expected);
    }
    const ModelFit information = covarianceAt(
        FitProblem{m_structure, expected, releases, sites, years}, m_truth, m_options, cancel);
    m_result.expectedSeconds = secondsSince(expectedStart);
    const std::vector<DesignQuantity> truths =
        designQuantities(m_structure, m_truth, nullptr, {}, 1.0, releases, sites, years);

    std::vector<simulation::FittedStudySimulator> simulators(fish.size(), simulator);
    for (std::size_t k = 0; k < fish.size(); ++k)
        simulators[k].setFishPerRelease(fish[k]);
    const std::size_t perFish = static_cast<std::size_t>(std::max(replicates, 0));
    std::vector<Replicate> done(fish.size() * perFish);
    simulation::forEachReplicate(
        m_options.workerPool(), done.size(), seed, cancel,
        [&](std::size_t j, std::mt19937_64& random) {
            Replicate& replicate = done[j];
            const Clock::time_point begun = Clock::now();
            simulation::SimulatedCounts counts(releases, sites, years);
            simulators[j / perFish].simulate(random, counts);
            replicate.simulateSeconds = secondsSince(begun);
            const Clock::time_point fitStart = Clock::now();
            const ModelFit fit = fitModel(FitProblem{m_structure, counts, releases, sites, years},
                                          m_options, cancel);
            if (fit.summary.ending == FitEnding::Converged) {
                replicate.converged = true;
                for (const DesignQuantity& quantity :
                     designQuantities(m_structure, fit.estimates, fit.covariance.get(),
                                      fit.summary.estimates, 1.0, releases, sites, years)) {
                    replicate.estimates.push_back(quantity.estimate);
                    replicate.errors.push_back(quantity.standardError.value_or(NaN));
                }
            }
            replicate.fitSeconds = secondsSince(fitStart);
        },
        progress);
    m_result.canceled = cancel.load();
    for (const Replicate& replicate : done) {
        m_result.simulateSeconds += replicate.simulateSeconds;
        m_result.fitSeconds += replicate.fitSeconds;
    }

    for (std::size_t k = 0; k < fish.size() && !m_result.canceled; ++k) {
        const std::vector<DesignQuantity> expectedErrors = designQuantities(
            m_structure, m_truth, information.covariance.get(), information.summary.estimates,
            static_cast<double>(many) / fish[k], releases, sites, years);
        for (std::size_t q = 0; q < truths.size(); ++q) {
            const DesignQuantity& truth = truths[q];
            // A quantity the truth leaves undefined (a share of no fish) has nothing to judge.
            if (!std::isfinite(truth.estimate))
                continue;
            DesignRow row;
            row.fish = fish[k];
            row.quantity = truth.name;
            row.measure = truth.measure;
            row.finalSurvival = truth.finalSurvival;
            row.truth = truth.estimate;
            row.expectedSe = expectedErrors[q].standardError.value_or(NaN);
            double sum = 0.0;
            double errorSum = 0.0;
            int covered = 0;
            std::vector<double> estimates;
            for (std::size_t i = 0; i < perFish; ++i) {
                const Replicate& replicate = done[k * perFish + i];
                if (!replicate.converged || !std::isfinite(replicate.estimates[q]))
                    continue;
                const double estimate = replicate.estimates[q];
                estimates.push_back(estimate);
                sum += estimate;
                const double error = replicate.errors[q];
                if (!std::isfinite(error))
                    continue;
                ++row.withSe;
                errorSum += error;
                const std::optional<LogitInterval> interval = LogitInterval::of(estimate, error);
                if (interval && interval->lower() <= truth.estimate &&
                    truth.estimate <= interval->upper())
                    ++covered;
            }
            row.fitted = static_cast<int>(estimates.size());
            row.mean = row.fitted > 0 ? sum / row.fitted : NaN;
            double squares = 0.0;
            for (const double estimate : estimates)
                squares += (estimate - row.mean) * (estimate - row.mean);
            row.sd = row.fitted > 1 ? std::sqrt(squares / (row.fitted - 1)) : NaN;
            row.meanSe = row.withSe > 0 ? errorSum / row.withSe : NaN;
            row.coverage = row.withSe > 0 ? static_cast<double>(covered) / row.withSe : NaN;
            row.cv = truth.estimate > 0.0 ? row.sd / truth.estimate : NaN;
            m_result.rows.push_back(std::move(row));
        }
    }
    for (const Replicate& replicate : done) {
        if (!replicate.converged)
            ++m_result.failed;
    }
    m_result.wallSeconds = secondsSince(start);
}

lum::Expected<DesignTarget> DesignTarget::parse(const QString& text)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    QString value = colon > 0 ? text.mid(colon + 1).trimmed() : QString();
    const bool percent = value.endsWith(QLatin1Char('%'));
    if (percent)
        value.chop(1);
    bool ok = false;
    double cv = value.toDouble(&ok);
    if (percent)
        cv /= 100.0;
    if (colon <= 0 || !ok || !(cv > 0.0) || !std::isfinite(cv))
        return lum::Error(lum::JobError::Input,
                          QStringLiteral("a target is QUANTITY:CV with a positive CV (0.1 or "
                                         "10%), not \"%1\"")
                              .arg(text));
    return DesignTarget{text.left(colon).trimmed(), cv};
}

bool DesignTarget::matches(const DesignRow& row) const
{
    return quantity == QLatin1String("final") ? row.finalSurvival : row.quantity == quantity;
}

DesignAnswer answerTarget(const std::vector<DesignRow>& rows, const DesignTarget& target)
{
    DesignAnswer answer;
    std::vector<QString> names;
    for (const DesignRow& row : rows) {
        if (target.matches(row) &&
            std::find(names.begin(), names.end(), row.quantity) == names.end())
            names.push_back(row.quantity);
    }
    if (names.empty()) {
        answer.reason = QStringLiteral("no quantity \"%1\" in the design").arg(target.quantity);
        return answer;
    }
    const double goal = std::log(target.cv);
    for (const QString& name : names) {
        std::vector<std::pair<double, double>> curve; // log fish, log CV
        for (const DesignRow& row : rows) {
            if (row.quantity == name && std::isfinite(row.cv) && row.cv > 0.0)
                curve.emplace_back(std::log(static_cast<double>(row.fish)), std::log(row.cv));
        }
        if (curve.empty()) {
            answer.found = false;
            answer.quantity = name;
            answer.reason =
                QStringLiteral("the simulation gave %1 no coefficient of variation").arg(name);
            return answer;
        }
        std::sort(curve.begin(), curve.end());
        double logFish = 0.0;
        bool extrapolated = true;
        if (curve.front().second <= goal) {
            // Reached already at the fewest fish simulated.
            logFish = curve.front().first + 2.0 * (curve.front().second - goal);
        } else if (curve.back().second > goal) {
            logFish = curve.back().first + 2.0 * (curve.back().second - goal);
        } else {
            extrapolated = false;
            // The first number simulated that reaches the target, and the one before it.
            std::size_t i = 1;
            while (curve[i].second > goal)
                ++i;
            const auto& [x0, y0] = curve[i - 1];
            const auto& [x1, y1] = curve[i];
            logFish = y1 == y0 ? x1 : x0 + (goal - y0) * (x1 - x0) / (y1 - y0);
        }
        const int needed = static_cast<int>(std::ceil(std::exp(logFish) - 1e-9));
        if (!answer.found || needed > answer.fish) {
            answer.fish = needed;
            answer.quantity = name;
            answer.extrapolated = extrapolated;
        }
        answer.found = true;
    }
    return answer;
}

QString designCsv(const std::vector<DesignRow>& rows)
{
    QString text = lum::csvLine(
        {QStringLiteral("fish"), QStringLiteral("quantity"), QStringLiteral("truth"),
         QStringLiteral("mean"), QStringLiteral("sd"), QStringLiteral("mean_se"),
         QStringLiteral("expected_se"), QStringLiteral("cv"), QStringLiteral("coverage")});
    for (const DesignRow& row : rows)
        text +=
            lum::csvLine({QString::number(row.fish), row.quantity, csvNumber(row.truth),
                          csvNumber(row.mean), csvNumber(row.sd), csvNumber(row.meanSe),
                          csvNumber(row.expectedSe), csvNumber(row.cv), csvNumber(row.coverage)});
    return text;
}

lum::Expected<std::vector<int>> parseFishList(const QString& text)
{
    std::set<int> numbers;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int fish = part.trimmed().toInt(&ok);
        if (!ok || fish <= 0 || !numbers.insert(fish).second)
            return lum::Error(lum::JobError::Input,
                              QStringLiteral("the fish per release are distinct positive whole "
                                             "numbers separated by commas (250,500,1000), not "
                                             "\"%1\"")
                                  .arg(text));
    }
    return std::vector<int>(numbers.begin(), numbers.end());
}

} // namespace rivulet::design
