#include "rivulet/model/ModelFit.h"

#include "lum/estimation/BlockFunc.h"
#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/Estimator.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/ReducedCovariance.h"
#include "lum/estimation/SoftmaxTransform.h"
#include "lum/estimation/SparseHessian.h"
#include "lum/estimation/TransformedFunc.h"
#include "lum/thread/WorkerPool.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterBlocks.h"
#include "rivulet/model/ParameterBoundsCheck.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/ProfileLikelihood.h"
#include "rivulet/model/RivuletLikelihood.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <numeric>
#include <optional>

namespace rivulet {

namespace {

const char* const NOT_POSITIVE_DEFINITE = "Covariance matrix is not positive definite";
// The id of Newton's method, the optimizer that starts from a given Hessian.
constexpr int NewtonOptimizerId = 4;

// A covariance matrix whose every linear combination has a positive variance (a Cholesky
// factorisation exists). Without this, a derived quantity could get a negative variance and
// so a standard error that is not a number.
bool isPositiveDefinite(const lum::DenseMatrix& matrix)
{
    const int n = matrix.rows();
    lum::DenseMatrix factor(n, n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            double sum = matrix(i, j);
            for (int k = 0; k < j; ++k) {
                sum -= factor(i, k) * factor(j, k);
            }
            if (i == j) {
                if (!(sum > 0.0) || !std::isfinite(sum)) {
                    return false;
                }
                factor(i, i) = std::sqrt(sum);
            } else {
                factor(i, j) = sum / factor(j, j);
            }
        }
    }
    return true;
}

// The gradients of a block's terms that one sparse Hessian of the block costs: every parameter
// differences the terms it enters, both ways.
double hessianGradients(const lum::Func& likelihood, const ParameterBlock& block)
{
    double entered = 0.0;
    for (const int p : block.parameters)
        entered += static_cast<double>(likelihood.termsOfParameter(p).size());
    return 2.0 * entered / static_cast<double>(std::max<std::size_t>(block.terms.size(), 1));
}

// What the fit of one piece (the whole model, or one block) came to.
struct PieceFit
{
    FitEnding ending = FitEnding::Converged;
    QString message;
    int iterations = 0;
    long long evaluations = 0;
    BlockCovariance covarianceStatus;
    lum::DenseMatrix covariance;
    // Per parameter of the piece, and the directions the data inform, once the covariance is
    // known.
    std::vector<EstimateStatus> estimates;
    int informed = 0;

    void fail(FitEnding how, const QString& why)
    {
        ending = how;
        message = QStringLiteral("Error estimating parameters: ") + why;
    }
};

// Minimises objective from z with the estimator; false, with the ending and the reason in
// `fit`, when the fit failed.
bool runEstimator(lum::Estimator& estimator, lum::Func& objective, std::vector<double>& z,
                  const std::atomic<bool>& cancel, PieceFit& fit)
{
    if (z.empty()) {
        // Everything is fixed: there is nothing to optimise.
        return true;
    }
    bool ok = true;
    try {
        estimator.estimate(objective, z, cancel);
    } catch (const NR3::NRError& e) {
        // A limit the user can raise is told from a fit that went wrong.
        fit.fail(e.code == NR3::NRError::IterationLimit ? FitEnding::IterationLimit
                                                        : FitEnding::Failed,
                 QString::fromLatin1(e.message));
        ok = false;
    } catch (const std::exception& e) {
        // Not a numerical failure, but one model must not end the whole run.
        fit.fail(FitEnding::Failed, QString::fromLatin1(e.what()));
        ok = false;
    }
    fit.iterations += estimator.iterations();
    return ok;
}

// Whether every coordinate beyond `far` is held there by the data: the exact gradient says
// that moving it back towards the middle raises the objective. Such a coordinate is at its
// bound, not stuck there, and a restart from pulled-back coordinates would only walk back out.
// The gradient is exact however flat the transform: its sign is the slope's in the probability.
// False without an exact gradient, and where any such coordinate's slope is nil or points in.
bool settledOutward(lum::Func& objective, const std::vector<double>& z, double far)
{
    if (!objective.hasExactGradient())
        return false;
    std::vector<double> g;
    objective.gradient(z, g);
    for (std::size_t i = 0; i < z.size(); ++i) {
        if (std::abs(z[i]) > far && !(std::copysign(1.0, z[i]) * g[i] < 0.0))
            return false;
    }
    return true;
}

// A coordinate far out is a probability next to its bound, where the transform is so flat
// that no optimizer feels a slope: a parameter an early step pushed there stays there even
// when the optimum has moved inside. So the fit is repeated from a point where such
// coordinates are pulled back to where the slope is felt, and kept while that improves it. A
// parameter whose estimate truly is at the bound goes back out, and the fit stands.
// "Far" begins at 8 (a probability within 3e-4 of its bound): there the slope in the
// coordinate is the slope in the probability shrunk by that distance, small enough for the
// stopping tests of an exact gradient to take a stuck parameter for a settled one. Its sign
// still tells the two apart, so after Newton's method, which ends only where its gradient test
// passes or a step on a fresh Hessian gains nothing, the restart (a whole second fit) is not
// made where every far coordinate is held out by the data (settledOutward). The other
// optimizers can end short of the maximum, and their restart also carries the fit on.
// False, with the ending in `fit`, when a restart failed or was canceled.
bool settleFar(lum::Estimator& estimator, lum::Func& objective, std::vector<double>& z,
               const std::atomic<bool>& cancel, PieceFit& fit)
{
    constexpr double FAR_OUT = 8.0;
    constexpr double PULLED_BACK = 3.0;
    constexpr int MAX_RESTARTS = 5;
    for (int restart = 0; restart < MAX_RESTARTS; ++restart) {
        std::vector<double> start = z;
        bool pulled = false;
        for (double& zi : start) {
            if (std::abs(zi) > FAR_OUT) {
                zi = std::copysign(PULLED_BACK, zi);
                pulled = true;
            }
        }
        if (!pulled || (estimator.optimizer().id() == NewtonOptimizerId &&
                        settledOutward(objective, z, FAR_OUT))) {
            break;
        }
        const double before = objective.countedValue(z);
        if (!runEstimator(estimator, objective, start, cancel, fit)) {
            return false;
        }
        if (cancel.load()) {
            fit.ending = FitEnding::Canceled;
            return false;
        }
        const double after = objective.countedValue(start);
        if (after < before) {
            z = std::move(start);
        }
        if (!(after < before - estimator.endingCriterion())) {
            break;
        }
    }
    return true;
}

// Minimises objective from z (which receives the point reached): the estimator's runs, then
// the restarts from far coordinates. False, with the ending in `fit`, when it did not converge.
bool minimise(lum::Estimator& estimator, lum::Func& objective, std::vector<double>& z,
              const std::atomic<bool>& cancel, PieceFit& fit)
{
    if (!runEstimator(estimator, objective, z, cancel, fit)) {
        return false;
    }
    if (cancel.load()) {
        fit.ending = FitEnding::Canceled;
        return false;
    }
    return settleFar(estimator, objective, z, cancel, fit);
}

EstimateStatus estimateStatus(lum::ReducedCovariance::Status status)
{
    switch (status) {
    case lum::ReducedCovariance::Status::Estimated:
        return EstimateStatus::Estimated;
    case lum::ReducedCovariance::Status::AtBound:
        return EstimateStatus::AtBound;
    case lum::ReducedCovariance::Status::NotEstimable:
        break;
    }
    return EstimateStatus::NotEstimable;
}

// Where the plain inverse of the Hessian fails, the covariance with the estimates at a bound
// and the directions the data do not inform set aside (ReducedCovariance); the failure stays
// the status when even that cannot be had.
void reduceCovariance(lum::Func& func, const std::vector<double>& x,
                      const lum::SoftmaxTransform& transform, const std::atomic<bool>& cancel,
                      PieceFit& fit)
{
    lum::ReducedCovariance::Result reduced;
    try {
        if (!lum::ReducedCovariance(cancel, ModelFit::HessianStep)
                 .compute(func, x, transform, reduced))
            return;
    } catch (const std::exception&) {
        return;
    }
    BlockCovariance& status = fit.covarianceStatus;
    status.status = CovarianceStatus::Reduced;
    status.atBound = reduced.atBound();
    status.notEstimable = reduced.notEstimable();
    status.message = QStringLiteral("%1 (%2 estimates at a bound and %3 not estimable set aside)")
                         .arg(status.message)
                         .arg(status.atBound)
                         .arg(status.notEstimable);
    fit.covariance = std::move(reduced.covariance);
    fit.informed = reduced.rank;
    fit.estimates.clear();
    for (const lum::ReducedCovariance::Status s : reduced.statuses)
        fit.estimates.push_back(estimateStatus(s));
}

// The covariance of func at x into fit.covariance, and its status. A cancellation leaves it
// NotComputed. `sparse`: a large block, whose Hessian is assembled sparsely from the exact
// gradient; one that is not clearly positive definite is decided the dense way (the SVD's rank
// test and the LU inverse) on that same Hessian.
void computeCovariance(lum::Func& func, const std::vector<double>& x,
                       const lum::SoftmaxTransform& transform, const std::atomic<bool>& cancel,
                       PieceFit& fit, bool sparse)
{
    BlockCovariance& status = fit.covarianceStatus;
    status.status = CovarianceStatus::Computed;
    fit.estimates.assign(x.size(), EstimateStatus::Estimated);
    fit.informed = static_cast<int>(x.size());
    if (x.empty()) {
        fit.covariance.resize(0, 0);
        return;
    }
    try {
        lum::CovarianceCalculator calculator(cancel, ModelFit::HessianStep);
        lum::DenseMatrix hessian;
        if (sparse && calculator.computeSparse(func, x, fit.covariance, &hessian)) {
            for (const int i : lum::ReducedCovariance::atBound(x, transform)) {
                fit.estimates[static_cast<std::size_t>(i)] = EstimateStatus::AtBound;
                --fit.informed;
                ++status.atBound;
            }
            return;
        }
        if (cancel.load()) {
            status.status = CovarianceStatus::NotComputed;
            return;
        }
        // The sparse Hessian is the dense differences' to 1e-5, for the gradients of the
        // parameters' terms instead of n² evaluations of the likelihood.
        const lum::Expected<bool> computed = hessian.rows() == static_cast<int>(x.size())
                                                 ? calculator.computeFrom(hessian, fit.covariance)
                                                 : calculator.compute(func, x, fit.covariance);
        if (!computed) {
            const QString& message = computed.error().message;
            status.status = message == QLatin1String(lum::CovarianceCalculator::SingularHessian)
                                ? CovarianceStatus::Singular
                                : CovarianceStatus::NotComputed;
            status.message = message;
        }
    } catch (const NR3::NRError& e) {
        const bool singular =
            std::strcmp(e.message, lum::CovarianceCalculator::SingularHessian) == 0;
        status.status = singular ? CovarianceStatus::Singular : CovarianceStatus::NotComputed;
        status.message = QString::fromLatin1(e.message);
    } catch (const std::exception& e) {
        status.status = CovarianceStatus::NotComputed;
        status.message = QString::fromLatin1(e.what());
    }
    if (cancel.load()) {
        status.status = CovarianceStatus::NotComputed;
        status.message.clear();
        return;
    }
    if (status.status == CovarianceStatus::Computed && !isPositiveDefinite(fit.covariance)) {
        status.status = CovarianceStatus::NotPositiveDefinite;
        status.message = QString::fromLatin1(NOT_POSITIVE_DEFINITE);
    }
    if (status.status != CovarianceStatus::Computed) {
        reduceCovariance(func, x, transform, cancel, fit);
        return;
    }
    // The plain inverse exists, and its variances of the interior estimates keep the
    // uncertainty of those at a bound (holding them there would understate it); the estimates
    // at a bound themselves get no standard error, only a profile interval.
    for (const int i : lum::ReducedCovariance::atBound(x, transform)) {
        fit.estimates[static_cast<std::size_t>(i)] = EstimateStatus::AtBound;
        --fit.informed;
        ++status.atBound;
    }
}

// Fits one block from its part of `point`, which receives its estimates, and computes its
// covariance. Touches only the block's parameters of `point` and the block's terms of the
// likelihood, so blocks run side by side.
void fitBlock(const ParameterBlock& block, lum::Func& likelihood,
              const lum::SoftmaxTransform& transform, std::vector<double>& point,
              lum::Estimator& estimator, const std::atomic<bool>& cancel, PieceFit& fit,
              bool covariance, bool sparse)
{
    try {
        lum::BlockFunc func(likelihood, point, block.parameters, block.terms);
        const lum::SoftmaxTransform local = blockTransform(transform, block.parameters);
        lum::TransformedFunc objective(func, local);
        std::vector<double> x;
        std::vector<double> z;
        func.gather(point, x);
        local.toCoordinates(x, z);
        const bool converged = minimise(estimator, objective, z, cancel, fit);
        if (converged) {
            local.toParameters(z, x);
            if (covariance) {
                computeCovariance(func, x, local, cancel, fit, sparse);
            }
            if (cancel.load()) {
                fit.ending = FitEnding::Canceled;
            }
            func.scatter(x, point);
        }
        fit.evaluations += static_cast<long long>(objective.evaluations() + func.evaluations());
    } catch (const std::exception& e) {
        fit.fail(FitEnding::Failed, QString::fromLatin1(e.what()));
    }
}

// Whether the point reached is one to report: a finite likelihood, every estimate inside its
// bounds. Otherwise the summary says why not. `value` receives the negative log-likelihood.
bool usablePoint(RivuletLikelihood& likelihood, const ParameterStructure& structure,
                 const std::vector<double>& x, FitSummary& summary, double& value)
{
    value = likelihood(x);
    if (!(value < RivuletLikelihood::BadValue)) {
        summary.ending = FitEnding::Failed;
        summary.message = QStringLiteral("unable to estimate parameters");
        return false;
    }
    const QString violation = ParameterBoundsCheck::violation(structure, x);
    if (!violation.isEmpty()) {
        summary.ending = FitEnding::Failed;
        summary.message = QStringLiteral("internal error, estimates out of bounds: ") + violation;
        return false;
    }
    return true;
}

// Every block's covariance status into the summary.
void addBlockStatuses(const std::vector<ParameterBlock>& blocks, const std::vector<PieceFit>& fits,
                      FitSummary& summary)
{
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        BlockCovariance covariance = fits[b].covarianceStatus;
        covariance.parameters = blocks[b].parameters;
        summary.blocks.push_back(std::move(covariance));
    }
}

// The blocks' statuses, and, when every block has its covariance, the estimates' statuses and
// the block-diagonal covariance of `size` parameters into `result`.
void assembleCovariance(const std::vector<ParameterBlock>& blocks, std::vector<PieceFit>& fits,
                        std::size_t size, ModelFit& result)
{
    FitSummary& summary = result.summary;
    addBlockStatuses(blocks, fits, summary);
    if (!summary.hasCovariance()) {
        return;
    }
    summary.estimates.assign(size, EstimateStatus::Estimated);
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const std::vector<int>& parameters = blocks[b].parameters;
        for (std::size_t i = 0; i < parameters.size() && i < fits[b].estimates.size(); ++i)
            summary.estimates[static_cast<std::size_t>(parameters[i])] = fits[b].estimates[i];
        summary.informedParameters += fits[b].informed;
    }
    std::vector<std::vector<int>> indices;
    std::vector<lum::DenseMatrix> values;
    indices.reserve(blocks.size());
    values.reserve(blocks.size());
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        indices.push_back(blocks[b].parameters);
        values.push_back(std::move(fits[b].covariance));
    }
    result.covariance = std::make_unique<lum::DenseMatrix>(
        lum::DenseMatrix::blockDiagonal(static_cast<int>(size), indices, values));
}

// Fits the blocks side by side on the pool, each from its part of x, which receives the
// estimates; the summary and the block-diagonal covariance (when every block has one) into
// `result`.
void fitBlocks(const std::vector<ParameterBlock>& blocks, lum::Func& likelihood,
               const lum::SoftmaxTransform& transform, std::vector<double>& x,
               const FitOptions& options, const std::atomic<bool>& cancel, ModelFit& result)
{
    std::vector<PieceFit> fits(blocks.size());
    std::vector<char> ran(blocks.size(), 0);
    // Every block writes its own parameters of x and evaluates its own releases, on its own
    // copy of the optimizer, so where it runs does not change its numbers.
    std::atomic<bool> failed{false};
    options.workerPool().parallelFor(blocks.size(), [&](std::size_t b) {
        // A failed block fails the model: the blocks not begun are not worth fitting.
        if (failed.load() || cancel.load()) {
            return;
        }
        ran[b] = 1;
        const std::unique_ptr<lum::OptimizerI> optimizer = options.optimizerFor(
            blocks[b].parameters.size(), hessianGradients(likelihood, blocks[b]));
        lum::Estimator estimator(*optimizer, options.endingCriterion);
        fitBlock(blocks[b], likelihood, transform, x, estimator, cancel, fits[b],
                 options.covariance, options.isLargeBlock(blocks[b].parameters.size()));
        if (fits[b].ending == FitEnding::Failed || fits[b].ending == FitEnding::IterationLimit) {
            failed = true;
        }
    });
    FitSummary& summary = result.summary;
    summary.ending = FitEnding::Converged;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        summary.iterations += fits[b].iterations;
        summary.evaluations += fits[b].evaluations;
    }
    // The first block in order that failed names the failure, whichever thread saw it first.
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        if (ran[b] &&
            (fits[b].ending == FitEnding::Failed || fits[b].ending == FitEnding::IterationLimit)) {
            summary.ending = fits[b].ending;
            summary.message = fits[b].message;
            addBlockStatuses(blocks, fits, summary);
            return;
        }
    }
    if (cancel.load()) {
        summary.ending = FitEnding::Canceled;
        addBlockStatuses(blocks, fits, summary);
        return;
    }
    assembleCovariance(blocks, fits, x.size(), result);
}

// Fits the model as one problem of every parameter; its summary and covariance into `result`.
void fitWhole(RivuletLikelihood& likelihood, const lum::SoftmaxTransform& transform,
              const ParameterStructure& structure, lum::OptimizerI& optimizer,
              std::vector<double>& x, const FitOptions& options, const std::atomic<bool>& cancel,
              const std::function<void(const QString&)>& log, ModelFit& result)
{
    // The cores that would fit other blocks share its releases instead.
    lum::WorkerPool& pool = options.workerPool();
    likelihood.setHalvesPool(pool.concurrency() > 1 ? &pool : nullptr);
    lum::Estimator estimator(optimizer, options.endingCriterion);
    if (log) {
        QObject::connect(&estimator, &lum::Estimator::statusMessage,
                         [&log](const QString& text) { log(text); });
    }
    lum::TransformedFunc objective(likelihood, transform);
    std::vector<double> z;
    transform.toCoordinates(x, z);
    PieceFit fit;
    const bool converged = minimise(estimator, objective, z, cancel, fit);
    FitSummary& summary = result.summary;
    summary.iterations = fit.iterations;
    summary.ending = fit.ending;
    summary.message = fit.message;
    BlockCovariance block;
    block.parameters.resize(x.size());
    std::iota(block.parameters.begin(), block.parameters.end(), 0);
    const auto finish = [&] {
        summary.evaluations =
            static_cast<long long>(objective.evaluations() + likelihood.evaluations());
        summary.blocks.push_back(std::move(block));
    };
    if (!converged) {
        finish();
        return;
    }
    transform.toParameters(z, x);
    // Checked before the covariance, which is not worth computing for such a point.
    double value = 0.0;
    if (!usablePoint(likelihood, structure, x, summary, value)) {
        finish();
        return;
    }
    summary.logLikelihood = -value;
    if (options.covariance) {
        computeCovariance(likelihood, x, transform, cancel, fit, options.isLargeBlock(x.size()));
    }
    if (cancel.load()) {
        summary.ending = FitEnding::Canceled;
    } else if (fit.covarianceStatus.status == CovarianceStatus::Computed ||
               fit.covarianceStatus.status == CovarianceStatus::Reduced) {
        result.covariance = std::make_unique<lum::DenseMatrix>(std::move(fit.covariance));
        summary.estimates = std::move(fit.estimates);
        summary.informedParameters = fit.informed;
    }
    block.status = fit.covarianceStatus.status;
    block.message = fit.covarianceStatus.message;
    block.atBound = fit.covarianceStatus.atBound;
    block.notEstimable = fit.covarianceStatus.notEstimable;
    finish();
}

// The profile-likelihood intervals the options ask for into the summary. The profiles are
// independent fits, shared out one at a time between the pool's threads; the profiles of one
// block evaluate the same releases, so each thread has a likelihood of its own: `likelihood`,
// and those `another` makes (each a table of every release's arrivals, so only as many as
// there are threads with work). An optimizer that cannot be copied serves one profile after
// the other.
void profileParameters(const std::vector<ParameterBlock>& blocks, lum::Func& likelihood,
                       const std::function<std::unique_ptr<lum::Func>()>& another,
                       const lum::SoftmaxTransform& transform, const std::vector<double>& x,
                       const FitOptions& options, const std::atomic<bool>& cancel,
                       FitSummary& summary)
{
    const bool all = options.profiles == FitOptions::Profiles::All;
    struct Target
    {
        std::size_t block = 0;
        int parameter = 0;
    };
    std::vector<Target> targets;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        for (const int p : blocks[b].parameters) {
            const std::size_t i = static_cast<std::size_t>(p);
            if (all || (i < summary.estimates.size() &&
                        summary.estimates[i] != EstimateStatus::Estimated)) {
                targets.push_back({b, p});
            }
        }
    }
    if (targets.empty())
        return;
    std::vector<double> gradients(blocks.size(), 0.0);
    for (const Target& target : targets)
        gradients[target.block] = hessianGradients(likelihood, blocks[target.block]);
    // A block profiled by Newton's method gets its Hessian at the estimates once, for every
    // profile's first fits to start from: otherwise each side of each profile differences
    // its own at nearly the same point.
    std::vector<std::shared_ptr<const lum::HessianSeed>> hessians(blocks.size());
    for (std::size_t b = 0; b < blocks.size() && !cancel.load(); ++b) {
        if (gradients[b] <= 0.0)
            continue;
        const std::unique_ptr<lum::OptimizerI> own =
            options.profileOptimizerFor(blocks[b].parameters.size(), gradients[b]);
        if (!own || own->id() != NewtonOptimizerId)
            continue;
        std::vector<double> point = x;
        lum::BlockFunc func(likelihood, point, blocks[b].parameters, blocks[b].terms);
        const lum::SoftmaxTransform local = blockTransform(transform, blocks[b].parameters);
        lum::TransformedFunc objective(func, local);
        std::vector<double> values;
        std::vector<double> z;
        func.gather(point, values);
        local.toCoordinates(values, z);
        hessians[b] = std::make_shared<const lum::HessianSeed>(
            lum::HessianSeed{lum::newtonHessian(objective, z, cancel), {}});
    }
    std::vector<std::optional<ProfileInterval>> found(targets.size());
    std::atomic<std::size_t> next{0};
    const auto lane = [&](lum::Func& func) {
        for (std::size_t t = next++; t < targets.size() && !cancel.load(); t = next++) {
            const ParameterBlock& block = blocks[targets[t].block];
            const std::unique_ptr<lum::OptimizerI> own =
                options.profileOptimizerFor(block.parameters.size(), gradients[targets[t].block]);
            lum::OptimizerI& optimizer = own ? *own : *options.prototype;
            ProfileLikelihood profile(func, transform, optimizer, options.endingCriterion, cancel,
                                      options.chat);
            profile.setBlockHessian(hessians[targets[t].block]);
            // Newton's method stands in for the model's optimizer; where it fails on a point,
            // the model's own fits it.
            const std::unique_ptr<lum::OptimizerI> fallback =
                own && own->id() == NewtonOptimizerId ? options.newOptimizer() : nullptr;
            if (fallback && fallback->id() != NewtonOptimizerId)
                profile.setFallback(fallback.get());
            found[t] = profile.interval(block, x, targets[t].parameter);
        }
    };
    const std::size_t lanes =
        options.newOptimizer()
            ? std::min<std::size_t>(options.workerPool().concurrency(), targets.size())
            : 1;
    if (lanes <= 1) {
        lane(likelihood);
    } else {
        std::vector<std::unique_ptr<lum::Func>> others(lanes - 1);
        for (std::unique_ptr<lum::Func>& other : others)
            other = another();
        options.workerPool().parallelFor(
            lanes, [&](std::size_t l) { lane(l == 0 ? likelihood : *others[l - 1]); });
    }
    for (const std::optional<ProfileInterval>& interval : found) {
        if (interval)
            summary.profiles.push_back(*interval);
    }
    std::sort(summary.profiles.begin(), summary.profiles.end(),
              [](const ProfileInterval& a, const ProfileInterval& b) {
                  return a.parameter < b.parameter;
              });
}

} // namespace

ModelFit fitModel(const FitProblem& problem, const FitOptions& options,
                  const std::atomic<bool>& cancel, const std::function<void(const QString&)>& log)
{
    ModelFit result;
    try {
        const ParameterStructure& structure = problem.structure;
        const int k = structure.numFree();
        std::vector<double> x(static_cast<std::size_t>(k), 1.0 / (problem.years.count() + 1));
        RivuletLikelihood likelihood(structure, problem.counts, problem.releases, problem.sites,
                                     problem.years);
        likelihood.setExactGradient(options.gradient == FitOptions::Gradient::Exact);
        const lum::SoftmaxTransform transform = modelTransform(structure);
        const std::vector<ParameterBlock> blocks = parameterBlocks(likelihood, transform);
        ParameterBlock whole;
        for (const ParameterBlock& block : blocks) {
            whole.parameters.insert(whole.parameters.end(), block.parameters.begin(),
                                    block.parameters.end());
            whole.terms.insert(whole.terms.end(), block.terms.begin(), block.terms.end());
        }
        std::unique_ptr<lum::OptimizerI> optimizer =
            options.optimizerFor(static_cast<std::size_t>(k), hessianGradients(likelihood, whole));
        // An optimizer that cannot be copied fits the whole model.
        if (blocks.size() > 1 && optimizer) {
            if (log) {
                log(QStringLiteral("Fitting %1 independent blocks of parameters")
                        .arg(blocks.size()));
            }
            fitBlocks(blocks, likelihood, transform, x, options, cancel, result);
            double value = 0.0;
            // The blocks' point is checked as the whole one's is, but after their covariance.
            if (result.summary.ending == FitEnding::Converged &&
                usablePoint(likelihood, structure, x, result.summary, value)) {
                result.summary.logLikelihood = -value;
            }
        } else {
            fitWhole(likelihood, transform, structure, optimizer ? *optimizer : *options.prototype,
                     x, options, cancel, log, result);
        }
        if (result.summary.ending != FitEnding::Converged) {
            result.summary.logLikelihood = 0.0;
            result.covariance.reset();
        } else if (options.profiles != FitOptions::Profiles::None) {
            const auto another = [&]() -> std::unique_ptr<lum::Func> {
                auto other = std::make_unique<RivuletLikelihood>(
                    structure, problem.counts, problem.releases, problem.sites, problem.years);
                other->setExactGradient(options.gradient == FitOptions::Gradient::Exact);
                return other;
            };
            profileParameters(blocks, likelihood, another, transform, x, options, cancel,
                              result.summary);
            if (cancel.load()) {
                result.summary.ending = FitEnding::Canceled;
                result.covariance.reset();
            }
        }
        result.estimates = std::move(x);
    } catch (const std::exception& e) {
        result.summary.ending = FitEnding::Failed;
        result.summary.message = QString::fromLatin1(e.what());
        result.covariance.reset();
    }
    return result;
}

ModelFit covarianceAt(const FitProblem& problem, const std::vector<double>& x,
                      const FitOptions& options, const std::atomic<bool>& cancel)
{
    ModelFit result;
    result.estimates = x;
    try {
        RivuletLikelihood likelihood(problem.structure, problem.counts, problem.releases,
                                     problem.sites, problem.years);
        likelihood.setExactGradient(options.gradient == FitOptions::Gradient::Exact);
        const lum::SoftmaxTransform transform = modelTransform(problem.structure);
        const std::vector<ParameterBlock> blocks = parameterBlocks(likelihood, transform);
        std::vector<PieceFit> fits(blocks.size());
        std::vector<double> point = x;
        options.workerPool().parallelFor(blocks.size(), [&](std::size_t b) {
            if (cancel.load()) {
                return;
            }
            try {
                lum::BlockFunc func(likelihood, point, blocks[b].parameters, blocks[b].terms);
                const lum::SoftmaxTransform local = blockTransform(transform, blocks[b].parameters);
                std::vector<double> values;
                func.gather(point, values);
                computeCovariance(func, values, local, cancel, fits[b],
                                  options.isLargeBlock(values.size()));
            } catch (const std::exception& e) {
                fits[b].fail(FitEnding::Failed, QString::fromLatin1(e.what()));
            }
        });
        if (cancel.load()) {
            result.summary.ending = FitEnding::Canceled;
            return result;
        }
        result.summary.ending = FitEnding::Converged;
        result.summary.logLikelihood = -likelihood(x);
        assembleCovariance(blocks, fits, x.size(), result);
    } catch (const std::exception& e) {
        result.summary.ending = FitEnding::Failed;
        result.summary.message = QString::fromLatin1(e.what());
        result.covariance.reset();
    }
    return result;
}

} // namespace rivulet
