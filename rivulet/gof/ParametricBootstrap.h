#pragma once

#include "rivulet/model/EquatingScheme.h"
#include "rivulet/model/FitOptions.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace rivulet {

class ModelCatalogue;
class NextDetectionsI;
class ParameterStructure;

namespace gof {

// The Pearson statistic of a fitted model over the next-detection cells: in every multinomial
// of the likelihood (the fish of one release at one site and year, by where they were seen next
// or never again) the outcomes are pooled in order until each pooled cell expects at least 2
// fish (a short remainder joins the last one); X² = Σ (O − E)² / E over the pooled cells,
// df = Σ (pooled cells − 1) − K, and Fletcher's ĉ = (X² / df) / (1 + s̄) with s̄ the mean of
// (O − E) / E over the pooled cells.
struct PearsonFit
{
    double chiSquare = 0.0;
    int df = 0;
    int cells = 0;
    double meanRelativeResidual = 0.0;
    // None when df <= 0 or 1 + s̄ <= 0.
    std::optional<double> fletcherChat;
};

// The parametric bootstrap of the most general model's goodness of fit (the first model of the
// catalogue's fit list; the first of the catalogue when it fits none).
//
// The model is fitted to the data; then each replicate simulates a study from its estimates
// with the same releases and numbers of fish: the fish of each release go to their first
// detection (or none) by the model's cell probabilities, a detected fish is removed with the
// share of removals the data have for that release, site and year, and those kept go on to
// their next detection by the chances of their group, down to the last site. Each replicate is
// fitted by the same model, and its deviance −2 (ln L − ln L_saturated) over the next-detection
// cells is kept. ĉ = observed deviance / mean replicate deviance; p = the share of replicate
// deviances at least the observed one. Replicate i draws from a generator seeded with (seed, i),
// so the figures depend on the seed only, not on the threads.
class ParametricBootstrap
{
public:
    struct Result
    {
        QString model;
        EquatingScheme scheme;
        int parameters = 0;         // free parameters
        int informedParameters = 0; // those the data inform (as the df of X² count them)
        double logLikelihood = 0.0;
        double saturatedLogLikelihood = 0.0;
        double deviance = 0.0;
        PearsonFit pearson;
        // The bootstrap; empty without one.
        int requested = 0;
        std::uint64_t seed = 0;
        std::vector<double> deviances; // of the replicates whose fit converged, in order
        int failed = 0;                // replicates whose fit did not converge
        bool canceled = false;
        std::optional<double> meanDeviance;
        std::optional<double> chat;
        std::optional<double> p;
        // Seconds: the replicates' fits summed over threads, their whole work summed over
        // threads, and the bootstrap's wall time.
        double fitSeconds = 0.0;
        double replicateSeconds = 0.0;
        double wallSeconds = 0.0;
    };

    // All borrowed. The options' covariance and profiles are set by the bootstrap itself.
    ParametricBootstrap(const NextDetectionsI& counts, const ModelCatalogue& catalogue,
                        const FitOptions& options);
    ~ParametricBootstrap();

    // Fits the most general model to the data, with its deviance and Pearson statistic; false
    // (with error()) when there is no model or its fit does not converge.
    bool fitObserved(const std::atomic<bool>& cancel);
    // Runs `replicates` simulated studies on the options' pool after fitObserved(); `progress`
    // (called from any thread, one call at a time) gets the number done.
    void run(int replicates, std::uint64_t seed, const std::atomic<bool>& cancel,
             const std::function<void(int)>& progress = {});

    const Result& result() const { return m_result; }
    const QString& error() const { return m_error; }

private:
    struct Model;

    const NextDetectionsI& m_counts;
    const ModelCatalogue& m_catalogue;
    FitOptions m_options;
    std::unique_ptr<Model> m_model;
    Result m_result;
    QString m_error;
};

// The deviance's saturated part over every multinomial of counts under structure:
// Σ [ln N! − Σ ln n! + Σ n ln(n / N)].
double saturatedLogLikelihood(const ParameterStructure& structure, const NextDetectionsI& counts);

} // namespace gof
} // namespace rivulet
