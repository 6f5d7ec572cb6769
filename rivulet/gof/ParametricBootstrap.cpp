#include "rivulet/gof/ParametricBootstrap.h"

#include "lum/estimation/DenseMatrix.h"
#include "lum/thread/WorkerPool.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelDefinitionItem.h"
#include "rivulet/model/ModelFit.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"
#include "rivulet/simulation/FittedStudySimulator.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace rivulet::gof {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// ln N! − Σ ln n! + Σ n ln(n / N) of one multinomial.
double saturatedOf(const std::vector<std::int64_t>& counts)
{
    std::int64_t total = 0;
    for (const std::int64_t n : counts)
        total += n;
    if (total == 0)
        return 0.0;
    double sum = std::lgamma(static_cast<double>(total) + 1.0);
    for (const std::int64_t n : counts) {
        if (n > 0)
            sum += -std::lgamma(static_cast<double>(n) + 1.0) +
                   static_cast<double>(n) * std::log(static_cast<double>(n) / total);
    }
    return sum;
}

// The outcomes of a likelihood cell: its counts laid out [site][year] as its probabilities, and
// the never-seen count last.
std::vector<std::int64_t> outcomesOf(const LikelihoodCell& cell)
{
    const int S = cell.siteCount();
    const int Y = cell.yearCount();
    std::vector<std::int64_t> outcomes(static_cast<std::size_t>(S * Y) + 1, 0);
    for (int s = cell.site() + 1; s < S; ++s) {
        for (int y = cell.year(); y < Y; ++y)
            outcomes[static_cast<std::size_t>(s * Y + y)] = cell.counts().count(s, y);
    }
    outcomes.back() = cell.neverSeen();
    return outcomes;
}

PearsonFit pearsonOf(const std::vector<LikelihoodCell>& cells,
                     const std::vector<std::vector<double>>& next,
                     const std::vector<double>& neverSeen, int parameters)
{
    constexpr double MinimumExpected = 2.0;
    PearsonFit fit;
    double relativeSum = 0.0;
    int categories = 0;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const LikelihoodCell& cell = cells[k];
        const double fish = static_cast<double>(cell.fishCount());
        if (fish <= 0.0)
            continue;
        const std::vector<std::int64_t> outcomes = outcomesOf(cell);
        std::vector<double> chances = next[k];
        chances.push_back(neverSeen[k]);
        // Pooled in order until each pooled cell expects at least 2 fish.
        std::vector<std::pair<double, double>> pooled; // observed, expected
        double observed = 0.0;
        double expected = 0.0;
        for (std::size_t j = 0; j < outcomes.size(); ++j) {
            if (chances[j] <= 0.0 && outcomes[j] == 0)
                continue;
            observed += static_cast<double>(outcomes[j]);
            expected += fish * std::max(chances[j], 0.0);
            if (expected >= MinimumExpected) {
                pooled.emplace_back(observed, expected);
                observed = expected = 0.0;
            }
        }
        if (observed > 0.0 || expected > 0.0) {
            if (pooled.empty()) {
                pooled.emplace_back(observed, expected);
            } else {
                pooled.back().first += observed;
                pooled.back().second += expected;
            }
        }
        categories += static_cast<int>(pooled.size()) - 1;
        for (const auto& [o, e] : pooled) {
            if (e <= 0.0)
                continue;
            fit.chiSquare += (o - e) * (o - e) / e;
            relativeSum += (o - e) / e;
            ++fit.cells;
        }
    }
    fit.df = categories - parameters;
    fit.meanRelativeResidual = fit.cells > 0 ? relativeSum / fit.cells : 0.0;
    if (fit.df > 0 && 1.0 + fit.meanRelativeResidual > 0.0)
        fit.fletcherChat = (fit.chiSquare / fit.df) / (1.0 + fit.meanRelativeResidual);
    return fit;
}

} // namespace

double saturatedLogLikelihood(const ParameterStructure& structure, const NextDetectionsI& counts)
{
    const RivuletLikelihood likelihood(structure, counts, counts.releasesController(),
                                       counts.sitesController(), counts.yearsController());
    double sum = 0.0;
    for (const LikelihoodCell& cell : likelihood.cells())
        sum += saturatedOf(outcomesOf(cell));
    return sum;
}

// The most general model fitted to the data: its structure and the simulator of its studies.
struct ParametricBootstrap::Model
{
    EquatingScheme scheme;
    ParameterStructure structure;
    std::unique_ptr<simulation::FittedStudySimulator> simulator;
};

ParametricBootstrap::ParametricBootstrap(const NextDetectionsI& counts,
                                         const ModelCatalogue& catalogue, const FitOptions& options)
    : m_counts(counts), m_catalogue(catalogue), m_options(options)
{
}

ParametricBootstrap::~ParametricBootstrap() = default;

bool ParametricBootstrap::fitObserved(const std::atomic<bool>& cancel)
{
    m_result = Result{};
    m_model.reset();
    m_error.clear();
    std::optional<EquatingScheme> scheme;
    if (!m_catalogue.fitList().empty()) {
        scheme = m_catalogue.fitList().front();
    } else {
        for (const auto& item : m_catalogue.definitionItems()) {
            if (!item->isHeading()) {
                scheme = item->scheme();
                break;
            }
        }
    }
    if (!scheme) {
        m_error = QStringLiteral("There is no model to test: the study has no included release.");
        return false;
    }
    const ReleasesControllerI& releases = m_counts.releasesController();
    const SitesControllerI& sites = m_counts.sitesController();
    const YearsControllerI& years = m_counts.yearsController();
    auto model = std::make_unique<Model>();
    model->scheme = *scheme;
    model->structure = ParameterStructure(releases, sites, years);
    m_catalogue.applyModel(scheme->captureCode, scheme->survivalCode, model->structure);
    m_result.model = ModelCatalogue::modelName(m_catalogue.dataClass(), *scheme);
    m_result.scheme = *scheme;
    m_result.parameters = model->structure.numFree();

    FitOptions options = m_options;
    options.covariance = true;
    options.profiles = FitOptions::Profiles::None;
    ModelFit fit =
        fitModel(FitProblem{model->structure, m_counts, releases, sites, years}, options, cancel);
    if (fit.summary.ending != FitEnding::Converged) {
        m_error = fit.summary.ending == FitEnding::Canceled
                      ? QStringLiteral("canceled")
                      : QStringLiteral("The fit of the most general model %1 did not converge: %2")
                            .arg(m_result.model, fit.summary.message);
        return false;
    }
    m_result.logLikelihood = fit.summary.logLikelihood;
    m_result.informedParameters =
        fit.summary.estimates.empty() ? m_result.parameters : fit.summary.informedParameters;
    RivuletLikelihood likelihood(model->structure, m_counts, releases, sites, years);
    std::vector<std::vector<double>> next;
    std::vector<double> neverSeen;
    likelihood.cellProbabilities(fit.estimates, next, neverSeen);
    double saturated = 0.0;
    for (const LikelihoodCell& cell : likelihood.cells())
        saturated += saturatedOf(outcomesOf(cell));
    m_result.saturatedLogLikelihood = saturated;
    m_result.deviance = -2.0 * (m_result.logLikelihood - saturated);
    m_result.pearson = pearsonOf(likelihood.cells(), next, neverSeen, m_result.informedParameters);
    model->simulator = std::make_unique<simulation::FittedStudySimulator>(model->structure,
                                                                          fit.estimates, m_counts);
    m_model = std::move(model);
    return true;
}

void ParametricBootstrap::run(int replicates, std::uint64_t seed, const std::atomic<bool>& cancel,
                              const std::function<void(int)>& progress)
{
    if (!m_model || replicates <= 0)
        return;
    const Clock::time_point start = Clock::now();
    const Model& model = *m_model;
    const ReleasesControllerI& releases = m_counts.releasesController();
    const SitesControllerI& sites = m_counts.sitesController();
    const YearsControllerI& years = m_counts.yearsController();
    FitOptions options = m_options;
    options.covariance = false;
    options.profiles = FitOptions::Profiles::None;

    struct Replicate
    {
        bool converged = false;
        double deviance = 0.0;
        double fitSeconds = 0.0;
        double seconds = 0.0;
    };
    std::vector<Replicate> done(static_cast<std::size_t>(replicates));
    simulation::forEachReplicate(
        options.workerPool(), done.size(), seed, cancel,
        [&](std::size_t i, std::mt19937_64& random) {
            const Clock::time_point begun = Clock::now();
            simulation::SimulatedCounts counts(releases, sites, years);
            model.simulator->simulate(random, counts);
            Replicate& replicate = done[i];
            const Clock::time_point fitStart = Clock::now();
            const ModelFit fit = fitModel(
                FitProblem{model.structure, counts, releases, sites, years}, options, cancel);
            replicate.fitSeconds = secondsSince(fitStart);
            if (fit.summary.ending == FitEnding::Converged) {
                replicate.converged = true;
                replicate.deviance = -2.0 * (fit.summary.logLikelihood -
                                             saturatedLogLikelihood(model.structure, counts));
            }
            replicate.seconds = secondsSince(begun);
        },
        progress);
    m_result.requested = replicates;
    m_result.seed = seed;
    m_result.canceled = cancel.load();
    m_result.deviances.clear();
    m_result.failed = 0;
    m_result.fitSeconds = 0.0;
    m_result.replicateSeconds = 0.0;
    for (const Replicate& replicate : done) {
        m_result.fitSeconds += replicate.fitSeconds;
        m_result.replicateSeconds += replicate.seconds;
        if (replicate.converged)
            m_result.deviances.push_back(replicate.deviance);
        else
            ++m_result.failed;
    }
    m_result.wallSeconds = secondsSince(start);
    m_result.meanDeviance.reset();
    m_result.chat.reset();
    m_result.p.reset();
    if (m_result.canceled || m_result.deviances.empty())
        return;
    double sum = 0.0;
    int atLeast = 0;
    for (const double deviance : m_result.deviances) {
        sum += deviance;
        if (deviance >= m_result.deviance)
            ++atLeast;
    }
    const double mean = sum / static_cast<double>(m_result.deviances.size());
    m_result.meanDeviance = mean;
    if (mean > 0.0)
        m_result.chat = m_result.deviance / mean;
    m_result.p = static_cast<double>(atLeast) / static_cast<double>(m_result.deviances.size());
}

} // namespace rivulet::gof
