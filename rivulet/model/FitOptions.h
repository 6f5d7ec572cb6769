#pragma once

#include <QString>

#include <memory>

namespace lum {
class OptimizerI;
class WorkerPool;
} // namespace lum

namespace rivulet {

// How a model is fitted. The defaults are the program's own defaults, which the settings
// start from.
struct FitOptions
{
    static constexpr double DefaultEndingCriterion = 0.0001;
    // The size of block from which Newton's method beats the default optimizer.
    static constexpr int DefaultNewtonFrom = 100;
    // Newton's iterations on a large block, the restarts included, and what the default
    // optimizer spends per parameter there in gradients' worth of work (its iterations with
    // their dense updates), as measured: Newton pays where its Hessians cost less.
    static constexpr double NewtonIterations = 40.0;
    static constexpr double DefaultGradientsPerParameter = 4.0;

    // How the optimizers get the gradient of the likelihood.
    enum class Gradient
    {
        Exact,            // the likelihood's own, in reverse mode
        FiniteDifferences // the optimizers' differences
    };

    // The optimizer as lum::createOptimizer() reads it ("id;name=value;...").
    QString optimizer = QStringLiteral("0");
    // An optimizer to use instead of the text: every fit works on its own copy (clone()); one
    // that cannot be copied is used as it is, by one fit at a time, and fits a model of
    // several blocks as one piece.
    std::shared_ptr<lum::OptimizerI> prototype;
    // The estimator re-runs the optimizer until the objective changes by no more than this.
    double endingCriterion = DefaultEndingCriterion;
    Gradient gradient = Gradient::Exact;
    // Which parameters get a profile-likelihood interval: those without a standard error (at
    // a bound or not estimable), every free parameter, or none.
    enum class Profiles
    {
        WithoutStandardError,
        All,
        None
    };
    Profiles profiles = Profiles::WithoutStandardError;
    // The study-wide variance inflation factor ĉ (values below 1 count as 1): the profile
    // intervals' cut-off is χ²₁(0.95)·ĉ, and the model estimator gives it to the results, whose
    // standard errors are √ĉ times wider and whose comparison adds QAICc.
    double chat = 1.0;
    // Whether the fit computes the covariance matrix (and so the profiles of the estimates
    // without a standard error); off for fits that need only the maximum, such as the
    // replicates of a bootstrap.
    bool covariance = true;
    // Blocks of at least this many free parameters are fitted by Newton's method on the sparse
    // Hessian instead of the default optimizer (Fletch), which needs about as many iterations
    // as parameters, when the Hessian costs few enough gradients (optimizerFor()); 0 never.
    // Only with the exact gradient, and not when another optimizer was chosen. Their
    // covariance is tried on the sparse Hessian first.
    int newtonFrom = DefaultNewtonFrom;
    // The threads that fit blocks side by side and sum the halves of a model fitted as one
    // piece (borrowed); null for the process-wide pool. The numbers never depend on it.
    lum::WorkerPool* pool = nullptr;

    // ĉ as it is used: a value below 1 (or not a number) counts as 1.
    static double effectiveChat(double value) { return value > 1.0 ? value : 1.0; }

    // A new optimizer for one fit: a copy of the prototype, or one made from the text. Null
    // when the prototype cannot be copied.
    std::unique_ptr<lum::OptimizerI> newOptimizer() const;
    // The optimizer for a block of that many free parameters whose sparse Hessian costs that
    // many gradients of the block: Newton's method for a large block where its iterations
    // together cost less than the default optimizer's (not so a block of a few hundred
    // parameters that mostly enter many terms: its Hessian is nearly dense), else
    // newOptimizer().
    std::unique_ptr<lum::OptimizerI> optimizerFor(std::size_t parameters,
                                                  double hessianGradients) const;
    // The optimizer for the fits of a block's profile intervals: optimizerFor()'s, but Newton's
    // method in place of the default one on blocks of every size while Newton's method is on
    // (newtonFrom > 0, exact gradient). The fits of one side of a profile are nearby problems,
    // and each of Newton's starts from the factored Hessian the one before left, a few steps
    // from its optimum, where Fletch's method starts each afresh with tens to hundreds of
    // iterations.
    std::unique_ptr<lum::OptimizerI> profileOptimizerFor(std::size_t parameters,
                                                         double hessianGradients) const;
    // Whether a block of that many free parameters is large enough for the sparse Hessian,
    // in the fit and in the covariance.
    bool isLargeBlock(std::size_t parameters) const;
    // The optimizer in words ("Fletch, maxIterations=200, ...").
    QString optimizerDescription() const;
    lum::WorkerPool& workerPool() const;
};

} // namespace rivulet
