#include "rivulet/model/ModelEstimator.h"

#include "lum/estimation/BlockFunc.h"
#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/Estimator.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/SoftmaxTransform.h"
#include "lum/estimation/TransformedFunc.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterBoundsCheck.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"
#include "rivulet/settings/RivuletSettings.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numeric>
#include <stdexcept>
#include <thread>

namespace rivulet {

// Free parameters (ascending) that share no term and no transform group with any other
// parameter, and the terms (ascending) they enter.
struct ParameterBlock
{
    std::vector<int> parameters;
    std::vector<int> terms;
};

namespace {

const char* const NOT_POSITIVE_DEFINITE = "Covariance matrix is not positive definite";

// The estimation settings live in the database; before one is open they read as their
// defaults (Fletch, 0.0001).
std::unique_ptr<lum::OptimizerI> optimizerFromSettings()
{
    const QVariant value = RivuletSettings::instance().value(RivuletSettings::Optimizer);
    return lum::createOptimizer(value.isValid() ? value.toString() : QStringLiteral("0"));
}

double endingCriterionFromSettings()
{
    const QVariant value =
        RivuletSettings::instance().value(RivuletSettings::EstimationEndingCriterion);
    bool ok = false;
    const double criterion = value.toDouble(&ok);
    // A criterion of 0 or less would re-run the optimizer for ever.
    return ok && criterion > 0.0 ? criterion : ModelEstimator::DefaultEndingCriterion;
}

ModelEstimator::Gradient gradientFromSettings()
{
    const QVariant value = RivuletSettings::instance().value(RivuletSettings::EstimationGradient);
    return value.isValid() && value.toInt() == 1 ? ModelEstimator::Gradient::FiniteDifferences
                                                 : ModelEstimator::Gradient::Exact;
}

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

// The connected components of the free parameters, two parameters joined when they enter a
// common term or move together in the transform; in the order of their lowest parameter.
std::vector<ParameterBlock> parameterBlocks(const lum::Func& likelihood,
                                            const lum::SoftmaxTransform& transform)
{
    const int k = transform.size();
    std::vector<int> parent(static_cast<std::size_t>(k));
    std::iota(parent.begin(), parent.end(), 0);
    const auto root = [&parent](int i) {
        while (parent[static_cast<std::size_t>(i)] != i) {
            int& up = parent[static_cast<std::size_t>(i)];
            up = parent[static_cast<std::size_t>(up)];
            i = up;
        }
        return i;
    };
    const auto join = [&](int a, int b) { parent[static_cast<std::size_t>(root(a))] = root(b); };
    std::vector<int> firstOfTerm(static_cast<std::size_t>(likelihood.termCount()), -1);
    for (int j = 0; j < k; ++j) {
        for (const int t : likelihood.termsOfParameter(j)) {
            int& first = firstOfTerm[static_cast<std::size_t>(t)];
            if (first < 0) {
                first = j;
            } else {
                join(j, first);
            }
        }
    }
    for (int g = 0; g < transform.groupCount(); ++g) {
        const std::vector<int>& members = transform.members(g);
        for (std::size_t m = 1; m < members.size(); ++m) {
            join(members[0], members[m]);
        }
    }
    std::vector<int> blockOfRoot(static_cast<std::size_t>(k), -1);
    std::vector<ParameterBlock> blocks;
    for (int j = 0; j < k; ++j) {
        int& b = blockOfRoot[static_cast<std::size_t>(root(j))];
        if (b < 0) {
            b = static_cast<int>(blocks.size());
            blocks.emplace_back();
        }
        ParameterBlock& block = blocks[static_cast<std::size_t>(b)];
        block.parameters.push_back(j);
        const std::vector<int>& terms = likelihood.termsOfParameter(j);
        block.terms.insert(block.terms.end(), terms.begin(), terms.end());
    }
    for (ParameterBlock& block : blocks) {
        std::sort(block.terms.begin(), block.terms.end());
        block.terms.erase(std::unique(block.terms.begin(), block.terms.end()), block.terms.end());
    }
    return blocks;
}

// The transform of a block's parameters alone (local positions), its groups in the order of
// their lowest member. Every group of the whole transform lies in one block.
lum::SoftmaxTransform blockTransform(const lum::SoftmaxTransform& transform,
                                     const std::vector<int>& parameters)
{
    std::vector<lum::SoftmaxTransform::Group> groups;
    std::vector<int> seen;
    for (const int p : parameters) {
        const int g = transform.groupOf(p);
        if (std::find(seen.begin(), seen.end(), g) != seen.end()) {
            continue;
        }
        seen.push_back(g);
        lum::SoftmaxTransform::Group group;
        group.budget = transform.budget(g);
        for (const int member : transform.members(g)) {
            const auto at = std::lower_bound(parameters.begin(), parameters.end(), member);
            group.members.push_back(static_cast<int>(at - parameters.begin()));
        }
        groups.push_back(std::move(group));
    }
    return lum::SoftmaxTransform(static_cast<int>(parameters.size()), std::move(groups));
}

// Minimises objective from z with the estimator; false with the reason when the fit failed.
bool runEstimator(lum::Estimator& estimator, lum::Func& objective, std::vector<double>& z,
                  const std::atomic<bool>& cancel, QString& failure)
{
    if (z.empty()) {
        // Everything is fixed: there is nothing to optimise.
        return true;
    }
    try {
        estimator.estimate(objective, z, cancel);
    } catch (const NR3::NRError& e) {
        failure = QString::fromLatin1(e.message);
        return false;
    } catch (const std::exception& e) {
        // Not a numerical failure, but one model must not end the whole run.
        failure = QString::fromLatin1(e.what());
        return false;
    }
    return true;
}

enum class Settled
{
    Done,
    Failed,
    Canceled
};

// A coordinate far out is a probability next to its bound, where the transform is so flat
// that no optimizer feels a slope: a parameter an early step pushed there stays there even
// when the optimum has moved inside. So the fit is repeated from a point where such
// coordinates are pulled back to where the slope is felt, and kept while that improves it. A
// parameter whose estimate truly is at the bound goes back out, and the fit stands.
// "Far" begins at 8 (a probability within 3e-4 of its bound): there the slope in the
// coordinate is the slope in the probability shrunk by that distance, small enough for the
// stopping tests of an exact gradient to take a stuck parameter for a settled one.
Settled settleFar(lum::Estimator& estimator, lum::Func& objective, std::vector<double>& z,
                  const std::atomic<bool>& cancel, QString& failure)
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
        if (!pulled) {
            break;
        }
        const double before = objective.countedValue(z);
        if (!runEstimator(estimator, objective, start, cancel, failure)) {
            return Settled::Failed;
        }
        if (cancel.load()) {
            return Settled::Canceled;
        }
        const double after = objective.countedValue(start);
        if (after < before) {
            z = std::move(start);
        }
        if (!(after < before - estimator.endingCriterion())) {
            break;
        }
    }
    return Settled::Done;
}

// The covariance of func at x into `covariance`; false with the reason when there is none.
bool blockCovariance(lum::Func& func, const std::vector<double>& x, const std::atomic<bool>& cancel,
                     lum::DenseMatrix& covariance, QString& failure)
{
    try {
        lum::CovarianceCalculator(cancel, ModelEstimator::HessianStep).compute(func, x, covariance);
    } catch (const NR3::NRError& e) {
        failure = QString::fromLatin1(e.message);
    } catch (const std::exception& e) {
        failure = QString::fromLatin1(e.what());
    }
    if (cancel.load()) {
        return false;
    }
    if (failure.isEmpty() && !isPositiveDefinite(covariance)) {
        failure = QString::fromLatin1(NOT_POSITIVE_DEFINITE);
    }
    return failure.isEmpty();
}

// What the fit of one block came to.
struct BlockFit
{
    QString failure; // the fit failed
    QString covarianceFailure;
    bool canceled = false;
    bool hasCovariance = false;
    lum::DenseMatrix covariance;
};

// Fits one block from its part of `point`, which receives its estimates, and computes its
// covariance. Touches only the block's parameters of `point` and the block's terms of the
// likelihood, so blocks run side by side.
void fitBlock(const ParameterBlock& block, lum::Func& likelihood,
              const lum::SoftmaxTransform& transform, std::vector<double>& point,
              lum::Estimator& estimator, const std::atomic<bool>& cancel, BlockFit& fit)
{
    try {
        lum::BlockFunc func(likelihood, point, block.parameters, block.terms);
        const lum::SoftmaxTransform local = blockTransform(transform, block.parameters);
        lum::TransformedFunc objective(func, local);
        std::vector<double> x;
        std::vector<double> z;
        func.gather(point, x);
        local.toCoordinates(x, z);
        if (!runEstimator(estimator, objective, z, cancel, fit.failure)) {
            return;
        }
        if (cancel.load()) {
            fit.canceled = true;
            return;
        }
        const Settled settled = settleFar(estimator, objective, z, cancel, fit.failure);
        if (settled != Settled::Done) {
            fit.canceled = settled == Settled::Canceled;
            return;
        }
        local.toParameters(z, x);
        fit.hasCovariance = blockCovariance(func, x, cancel, fit.covariance, fit.covarianceFailure);
        fit.canceled = cancel.load();
        func.scatter(x, point);
    } catch (const std::exception& e) {
        fit.failure = QString::fromLatin1(e.what());
    }
}

} // namespace

ModelEstimator::ModelEstimator(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const ModelCatalogue& catalogue,
                               EstimationResults& results, const NextDetectionsI& counts,
                               lum::ThreadRunner* runner, QObject* parent)
    : ModelEstimator(releases, sites, years, catalogue, results, counts, optimizerFromSettings(),
                     endingCriterionFromSettings(), runner, parent)
{
    gradient_ = gradientFromSettings();
}

ModelEstimator::ModelEstimator(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const ModelCatalogue& catalogue,
                               EstimationResults& results, const NextDetectionsI& counts,
                               std::unique_ptr<lum::OptimizerI> optimizer, double endingCriterion,
                               lum::ThreadRunner* runner, QObject* parent)
    : lum::ThreadRunnable(runner, parent), releases_(releases), sites_(sites), years_(years),
      catalogue_(catalogue), results_(results), counts_(counts), optimizer_(std::move(optimizer)),
      cancelFlag_(runner ? runner->canceledFlag() : ownCanceled_)
{
    if (!optimizer_) {
        throw std::invalid_argument("the model estimator needs an optimizer");
    }
    estimator_ = std::make_unique<lum::Estimator>(*optimizer_, endingCriterion);
    // The estimator reports from the worker thread, where this job runs: pass its texts on
    // at once, in order with the job's own.
    connect(estimator_.get(), &lum::Estimator::statusMessage, this,
            &ModelEstimator::onStatusMessage, Qt::DirectConnection);
}

ModelEstimator::~ModelEstimator() = default;

void ModelEstimator::setStructure(const ParameterStructure& structure)
{
    structureTemplate_ = &structure;
}

void ModelEstimator::setSchemes(std::vector<EquatingScheme> schemes)
{
    schemes_ = std::move(schemes);
}

double ModelEstimator::endingCriterion() const
{
    return estimator_->endingCriterion();
}

void ModelEstimator::setCanceled(bool value)
{
    ownCanceled_ = value;
    lum::ThreadRunnable::setCanceled(value);
}

void ModelEstimator::onStatusMessage(QString msg)
{
    status(msg);
}

void ModelEstimator::run()
{
    // Copies: the catalogue may be rebuilt while the results are read later.
    const std::vector<EquatingScheme> schemes = schemes_.empty() ? catalogue_.fitList() : schemes_;
    std::unique_ptr<ParameterStructure> ownTemplate;
    if (!structureTemplate_) {
        ownTemplate = std::make_unique<ParameterStructure>(releases_, sites_, years_);
    }
    const ParameterStructure& structureTemplate =
        structureTemplate_ ? *structureTemplate_ : *ownTemplate;

    setNumSteps(static_cast<int>(schemes.size()));
    setStep(0);
    for (std::size_t i = 0; i < schemes.size(); ++i) {
        if (canceled() || fitModel(schemes[i], structureTemplate) == Outcome::Canceled) {
            return;
        }
        setStep(static_cast<int>(i) + 1);
    }
}

ModelEstimator::Outcome ModelEstimator::fitModel(const EquatingScheme& scheme,
                                                 const ParameterStructure& structureTemplate)
{
    const QString name = ModelCatalogue::modelName(catalogue_.dataClass(), scheme);
    status(QStringLiteral("\nFitting model ") + name);

    auto structure = std::make_unique<ParameterStructure>(structureTemplate);
    catalogue_.applyModel(scheme.captureCode, scheme.survivalCode, *structure);
    const int k = structure->numFree();
    std::vector<double> x(static_cast<std::size_t>(k), 1.0 / (years_.count() + 1));
    RivuletLikelihood likelihood(*structure, counts_, releases_, sites_, years_);
    likelihood.setExactGradient(gradient_ == Gradient::Exact);
    std::unique_ptr<lum::DenseMatrix> covariance;

    // The optimizers work in unbounded coordinates, in which no step can leave the
    // probabilities' domain; the likelihood, the estimates and the covariance stay on the
    // probability scale.
    const lum::SoftmaxTransform transform = modelTransform(*structure);
    const std::vector<ParameterBlock> blocks = parameterBlocks(likelihood, transform);
    // Blocks run on copies of the optimizer; one that cannot be copied fits the whole model.
    const bool inBlocks = blocks.size() > 1 && optimizer_->clone() != nullptr;
    if (inBlocks) {
        const Outcome fitted = fitBlocks(blocks, likelihood, transform, x, covariance);
        if (fitted != Outcome::Recorded) {
            return fitted;
        }
    } else {
        // One piece: the cores that would fit other blocks share its releases instead.
        likelihood.setHalvesInParallel(std::thread::hardware_concurrency() > 1);
        lum::TransformedFunc objective(likelihood, transform);
        std::vector<double> z;
        transform.toCoordinates(x, z);
        if (!estimate(objective, z)) {
            return Outcome::Skipped;
        }
        if (canceled()) {
            return Outcome::Canceled;
        }
        const Outcome settled = settleFarCoordinates(objective, z);
        if (settled != Outcome::Recorded) {
            return settled;
        }
        transform.toParameters(z, x);
    }
    const double f = likelihood(x);
    if (!(f < RivuletLikelihood::BadValue)) {
        errorStatus(name + QStringLiteral(": unable to estimate parameters"));
        return Outcome::Skipped;
    }
    const QString violation = ParameterBoundsCheck::violation(*structure, x);
    if (!violation.isEmpty()) {
        errorStatus(name + QStringLiteral(": internal error, estimates out of bounds: ") +
                    violation);
        return Outcome::Skipped;
    }
    const double aic = 2.0 * k + 2.0 * f;
    if (!inBlocks) {
        covariance = std::make_unique<lum::DenseMatrix>(k, k);
        if (!computeCovariance(likelihood, x, *covariance)) {
            covariance.reset();
        }
    }
    if (canceled()) {
        return Outcome::Canceled;
    }
    results_.record(scheme, -f, aic, std::move(x), std::move(covariance), std::move(structure));
    return Outcome::Recorded;
}

ModelEstimator::Outcome ModelEstimator::fitBlocks(const std::vector<ParameterBlock>& blocks,
                                                  lum::Func& likelihood,
                                                  const lum::SoftmaxTransform& transform,
                                                  std::vector<double>& x,
                                                  std::unique_ptr<lum::DenseMatrix>& covariance)
{
    status(QStringLiteral("Fitting ") + QString::number(blocks.size()) +
           QStringLiteral(" independent blocks of parameters"));
    std::vector<BlockFit> fits(blocks.size());
    // Every block writes its own parameters of x, and evaluates its own releases.
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&](lum::Estimator& estimator) {
        for (std::size_t b = next++; b < blocks.size() && !failed.load() && !canceled();
             b = next++) {
            fitBlock(blocks[b], likelihood, transform, x, estimator, cancelFlag_, fits[b]);
            if (!fits[b].failure.isEmpty()) {
                failed = true;
            }
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::min<std::size_t>(cores, blocks.size());
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (std::size_t t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            const std::unique_ptr<lum::OptimizerI> optimizer = optimizer_->clone();
            lum::Estimator estimator(*optimizer, endingCriterion());
            work(estimator);
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    for (const BlockFit& fit : fits) {
        if (!fit.failure.isEmpty()) {
            warning(QStringLiteral("Error estimating parameters: ") + fit.failure);
            return Outcome::Skipped;
        }
    }
    if (canceled()) {
        return Outcome::Canceled;
    }
    std::vector<std::vector<int>> indices;
    std::vector<lum::DenseMatrix> values;
    indices.reserve(blocks.size());
    values.reserve(blocks.size());
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        if (!fits[b].hasCovariance) {
            warning(QStringLiteral("Error estimating covariance matrix: ") +
                    fits[b].covarianceFailure);
            return Outcome::Recorded;
        }
        indices.push_back(blocks[b].parameters);
        values.push_back(std::move(fits[b].covariance));
    }
    covariance = std::make_unique<lum::DenseMatrix>(
        lum::DenseMatrix::blockDiagonal(static_cast<int>(x.size()), indices, values));
    return Outcome::Recorded;
}

ModelEstimator::Outcome ModelEstimator::settleFarCoordinates(lum::Func& objective,
                                                             std::vector<double>& z)
{
    QString failure;
    switch (settleFar(*estimator_, objective, z, cancelFlag_, failure)) {
    case Settled::Done:
        return Outcome::Recorded;
    case Settled::Canceled:
        return Outcome::Canceled;
    case Settled::Failed:
        break;
    }
    warning(QStringLiteral("Error estimating parameters: ") + failure);
    return Outcome::Skipped;
}

// False (after the warning) when the fit failed.
bool ModelEstimator::estimate(lum::Func& objective, std::vector<double>& z)
{
    QString failure;
    if (runEstimator(*estimator_, objective, z, cancelFlag_, failure)) {
        return true;
    }
    warning(QStringLiteral("Error estimating parameters: ") + failure);
    return false;
}

// False (after the warning) when the model is to be recorded without a covariance matrix.
bool ModelEstimator::computeCovariance(lum::Func& likelihood, const std::vector<double>& x,
                                       lum::DenseMatrix& covariance)
{
    if (x.empty()) {
        return true;
    }
    QString failure;
    if (blockCovariance(likelihood, x, cancelFlag_, covariance, failure)) {
        return true;
    }
    if (!canceled()) {
        warning(QStringLiteral("Error estimating covariance matrix: ") + failure);
    }
    return false;
}

} // namespace rivulet
