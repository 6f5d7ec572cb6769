#pragma once

#include "rivulet/model/FitOptions.h"
#include "rivulet/model/FitSummary.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace lum {
class DenseMatrix;
}

namespace rivulet {

class NextDetectionsI;
class ParameterStructure;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// One model to fit: its structure (the model applied), the counts and the controllers the
// structure was built on. All borrowed for the fit.
struct FitProblem
{
    const ParameterStructure& structure;
    const NextDetectionsI& counts;
    const ReleasesControllerI& releases;
    const SitesControllerI& sites;
    const YearsControllerI& years;
};

// What fitModel() found.
struct ModelFit
{
    // Relative difference step of the Hessian.
    static constexpr double HessianStep = 1e-5;

    // The free parameters on the probability scale; the point reached also when the fit did
    // not converge.
    std::vector<double> estimates;
    // Null unless the fit converged and every block has its covariance; block-diagonal when
    // the model was fitted in blocks.
    std::unique_ptr<lum::DenseMatrix> covariance;
    FitSummary summary;
};

// Fits one model by maximum likelihood: minimises the negative log-likelihood from a point
// where every parameter is 1 / (years + 1), and computes the covariance matrix from the
// numerical Hessian at the estimates. Failures come back in the summary, never as exceptions.
//
// The optimizers work in unbounded coordinates (see modelTransform()), in which no step can
// leave the probabilities' domain; estimates and covariance are on the probability scale.
//
// The likelihood is a sum of release terms. Free parameters that share no term (and no set of
// movement probabilities) are independent, so they fall into blocks: the connected components
// of the releases linked by shared parameters (one block per release in the unique model). A
// model of several blocks is fitted block by block, each as its own problem on its own copy of
// the optimizer, side by side on the options' pool; its covariance is block-diagonal. A model of
// one block is fitted as one piece, its releases summed in two halves on the pool.
//
// `cancel` is polled by the optimizers and the Hessian. `log`, if given, receives the
// estimator's progress lines of a model fitted as one piece, on the calling thread.
ModelFit fitModel(const FitProblem& problem, const FitOptions& options,
                  const std::atomic<bool>& cancel,
                  const std::function<void(const QString&)>& log = {});

// The covariance of the free parameters at x (on the probability scale) without fitting, as
// fitModel() computes it at its estimates, block by block: at a model's values on the study of
// expected counts, the inverse of the expected information. estimates is x; the summary has
// the statuses of the estimates (at a bound, not estimable) when every block has its
// covariance.
ModelFit covarianceAt(const FitProblem& problem, const std::vector<double>& x,
                      const FitOptions& options, const std::atomic<bool>& cancel);

} // namespace rivulet
