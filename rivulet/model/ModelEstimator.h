#pragma once

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/model/EquatingScheme.h"
#include "rivulet/model/FitOptions.h"

#include <QString>

#include <atomic>
#include <vector>

namespace lum {
class ThreadRunner;
} // namespace lum

namespace rivulet {

struct FitSummary;

class EstimationResults;
class ModelCatalogue;
class NextDetectionsI;
class ParameterStructure;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// The background job that fits models: by default every model of the catalogue's fit list,
// in order ("Fit All Models"). For each model it applies the model to a copy of the
// parameter structure, fits it with fitModel() and records a converged fit in the estimation
// results; a fit that fails, stops at its iteration limit or is canceled is left out, and
// the others are still fitted.
//
// Every warning of a fit starts with the model's name, and after each model one status line
// says how its fit ended and whether it has a covariance:
//     M.ys.1A: Error estimating covariance matrix: Singular Hessian in calculating ...
//     M.ys.1A: converged in 312 iterations; covariance singular (block of 24 parameters)
//
// Everything given at construction is borrowed except the options, which are copied. The
// cancel flag is the runner's when there is a runner, else the job's own (setCanceled); it
// is polled by the optimizers, the Hessian and the model loop.
//
//     ModelEstimator job(releases, sites, years, catalogue, results, counts, options, &runner);
//     results.clear();
//     job.setStructure(structure);   // a ParameterStructure on the same controllers
//     runner.setRunnable(&job);
//     runner.start();
class ModelEstimator : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    ModelEstimator(const ReleasesControllerI& releases, const SitesControllerI& sites,
                   const YearsControllerI& years, const ModelCatalogue& catalogue,
                   EstimationResults& results, const NextDetectionsI& counts,
                   FitOptions options = {}, lum::ThreadRunner* runner = nullptr,
                   QObject* parent = nullptr);
    ~ModelEstimator() override;

    // The structure template every model starts from (borrowed). Without one, run() builds
    // its own on the controllers.
    void setStructure(const ParameterStructure& structure);
    // Fits these models, in this order, instead of the catalogue's fit list; an empty list
    // goes back to the fit list.
    void setSchemes(std::vector<EquatingScheme> schemes);

    void run() override;
    void setCanceled(bool value) override;

    const FitOptions& options() const { return m_options; }
    const std::atomic<bool>& cancelFlag() const { return m_cancelFlag; }

private:
    // False when the run was canceled.
    bool fitAndRecord(const EquatingScheme& scheme, const ParameterStructure& structureTemplate);
    // The warnings of a converged fit whose covariance is missing or reduced: the first block
    // without one, and the parameters each reduced block set aside.
    void warnOfCovariance(const QString& name, const FitSummary& summary,
                          const ParameterStructure& structure);

    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    const ModelCatalogue& m_catalogue;
    EstimationResults& m_results;
    const NextDetectionsI& m_counts;
    const FitOptions m_options;
    std::atomic<bool> m_ownCanceled{false};
    const std::atomic<bool>& m_cancelFlag;
    const ParameterStructure* m_structureTemplate = nullptr;
    std::vector<EquatingScheme> m_schemes;
};

} // namespace rivulet
