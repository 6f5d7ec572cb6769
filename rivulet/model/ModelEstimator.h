#pragma once

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/model/EquatingScheme.h"

#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace lum {
class DenseMatrix;
class Estimator;
class Func;
class OptimizerI;
class SoftmaxTransform;
class ThreadRunner;
} // namespace lum

namespace rivulet {

class EstimationResults;
struct ParameterBlock;
class ModelCatalogue;
class NextDetectionsI;
class ParameterStructure;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// The background job that fits models: by default every model of the catalogue's fit list,
// in order ("Fit All Models"). For each model it applies the model to a copy of the
// parameter structure, minimises the negative log-likelihood with the estimator, computes
// the covariance matrix from the numerical Hessian and records the model in the estimation
// results. A model whose fit fails is reported and left out; the others are still fitted.
//
// The likelihood is a sum of release terms. Free parameters that share no term (and no set of
// movement probabilities) are independent, so they fall into blocks: the connected components
// of the releases linked by shared parameters (one block per release in the unique model). A
// model of several blocks is fitted block by block, each as its own problem, on as many
// threads as the machine has cores, each with a copy of the optimizer (one that cannot be
// copied fits the whole model as one problem); its covariance is block-diagonal, kept as the
// blocks alone.
//
// Everything given at construction is borrowed except the optimizer; the optimizer and the
// estimator are made once, so a change of the settings takes effect with the next job
// object. The cancel flag is the runner's when there is a runner, else the job's own
// (setCanceled); it is polled by the optimizers, the Hessian and the model loop.
//
//     ModelEstimator job(releases, sites, years, catalogue, results, counts, &runner);
//     results.clear();
//     job.setStructure(structure);   // a ParameterStructure on the same controllers
//     runner.setRunnable(&job);
//     runner.start();
class ModelEstimator : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    // Relative difference step of the Hessian.
    static constexpr double HessianStep = 1e-5;
    // The ending criterion when the setting has no usable value.
    static constexpr double DefaultEndingCriterion = 0.0001;

    // How the optimizers get the gradient of the likelihood.
    enum class Gradient
    {
        Exact,            // the likelihood's own, in reverse mode
        FiniteDifferences // the optimizers' differences
    };

    // Optimizer, ending criterion and gradient from the settings "optimizer",
    // "estimation_ending_criterion" and "estimation_gradient" (their defaults while no
    // database is open).
    ModelEstimator(const ReleasesControllerI& releases, const SitesControllerI& sites,
                   const YearsControllerI& years, const ModelCatalogue& catalogue,
                   EstimationResults& results, const NextDetectionsI& counts,
                   lum::ThreadRunner* runner = nullptr, QObject* parent = nullptr);
    // A given optimizer (not null) and ending criterion instead of the settings; the exact
    // gradient unless setGradient() says otherwise.
    ModelEstimator(const ReleasesControllerI& releases, const SitesControllerI& sites,
                   const YearsControllerI& years, const ModelCatalogue& catalogue,
                   EstimationResults& results, const NextDetectionsI& counts,
                   std::unique_ptr<lum::OptimizerI> optimizer, double endingCriterion,
                   lum::ThreadRunner* runner = nullptr, QObject* parent = nullptr);
    ~ModelEstimator() override;

    // The structure template every model starts from (borrowed). Without one, run() builds
    // its own on the controllers.
    void setStructure(const ParameterStructure& structure);
    // Fits these models, in this order, instead of the catalogue's fit list; an empty list
    // goes back to the fit list.
    void setSchemes(std::vector<EquatingScheme> schemes);
    void setGradient(Gradient gradient) { gradient_ = gradient; }
    Gradient gradient() const { return gradient_; }

    void run() override;
    void setCanceled(bool value) override;

    const lum::OptimizerI& optimizer() const { return *optimizer_; }
    double endingCriterion() const;
    const std::atomic<bool>& cancelFlag() const { return cancelFlag_; }

public slots:
    void onStatusMessage(QString msg);

private:
    enum class Outcome
    {
        Recorded,
        Skipped,
        Canceled
    };

    Outcome fitModel(const EquatingScheme& scheme, const ParameterStructure& structureTemplate);
    // Fits the blocks, each from its part of x; x receives the estimates. Null covariance
    // when it could not be computed (after the warning).
    Outcome fitBlocks(const std::vector<ParameterBlock>& blocks, lum::Func& likelihood,
                      const lum::SoftmaxTransform& transform, std::vector<double>& x,
                      std::unique_ptr<lum::DenseMatrix>& covariance);
    bool estimate(lum::Func& objective, std::vector<double>& z);
    Outcome settleFarCoordinates(lum::Func& objective, std::vector<double>& z);
    bool computeCovariance(lum::Func& likelihood, const std::vector<double>& x,
                           lum::DenseMatrix& covariance);
    bool canceled() const { return cancelFlag_.load(); }

    const ReleasesControllerI& releases_;
    const SitesControllerI& sites_;
    const YearsControllerI& years_;
    const ModelCatalogue& catalogue_;
    EstimationResults& results_;
    const NextDetectionsI& counts_;
    std::unique_ptr<lum::OptimizerI> optimizer_;
    std::unique_ptr<lum::Estimator> estimator_;
    std::atomic<bool> ownCanceled_{false};
    const std::atomic<bool>& cancelFlag_;
    const ParameterStructure* structureTemplate_ = nullptr;
    std::vector<EquatingScheme> schemes_;
    Gradient gradient_ = Gradient::Exact;
};

} // namespace rivulet
