#include "rivulet/model/ModelEstimator.h"

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

#include <cmath>
#include <exception>
#include <stdexcept>

namespace rivulet {

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

} // namespace

ModelEstimator::ModelEstimator(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const ModelCatalogue& catalogue,
                               EstimationResults& results, const NextDetectionsI& counts,
                               lum::ThreadRunner* runner, QObject* parent)
    : ModelEstimator(releases, sites, years, catalogue, results, counts, optimizerFromSettings(),
                     endingCriterionFromSettings(), runner, parent)
{
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
    auto covariance = std::make_unique<lum::DenseMatrix>(k, k);

    // The optimizers work in unbounded coordinates, in which no step can leave the
    // probabilities' domain; the likelihood, the estimates and the covariance stay on the
    // probability scale.
    const lum::SoftmaxTransform transform = modelTransform(*structure);
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
    if (!computeCovariance(likelihood, x, *covariance)) {
        covariance.reset();
    }
    if (canceled()) {
        return Outcome::Canceled;
    }
    results_.record(scheme, -f, aic, std::move(x), std::move(covariance), std::move(structure));
    return Outcome::Recorded;
}

// A coordinate far out is a probability next to its bound, where the transform is so flat
// that no optimizer feels a slope: a parameter an early step pushed there stays there even
// when the optimum has moved inside. So the fit is repeated from a point where such
// coordinates are pulled back to where the slope is felt, and kept while that improves it. A
// parameter whose estimate truly is at the bound goes back out, and the fit stands.
ModelEstimator::Outcome ModelEstimator::settleFarCoordinates(lum::Func& objective,
                                                             std::vector<double>& z)
{
    constexpr double FAR_OUT = 15.0;
    constexpr double PULLED_BACK = 5.0;
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
        if (!estimate(objective, start)) {
            return Outcome::Skipped;
        }
        if (canceled()) {
            return Outcome::Canceled;
        }
        const double after = objective.countedValue(start);
        if (after < before) {
            z = std::move(start);
        }
        if (!(after < before - endingCriterion())) {
            break;
        }
    }
    return Outcome::Recorded;
}

// False (after the warning) when the fit failed.
bool ModelEstimator::estimate(lum::Func& objective, std::vector<double>& z)
{
    if (z.empty()) {
        // Everything is fixed: there is nothing to optimise.
        return true;
    }
    try {
        estimator_->estimate(objective, z, cancelFlag_);
    } catch (const NR3::NRError& e) {
        warning(QStringLiteral("Error estimating parameters: ") + QString::fromLatin1(e.message));
        return false;
    } catch (const std::exception& e) {
        // Not a numerical failure, but one model must not end the whole run.
        warning(QStringLiteral("Error estimating parameters: ") + QString::fromLatin1(e.what()));
        return false;
    }
    return true;
}

// False when the model is to be recorded without a covariance matrix.
bool ModelEstimator::computeCovariance(lum::Func& likelihood, const std::vector<double>& x,
                                       lum::DenseMatrix& covariance)
{
    if (x.empty()) {
        return true;
    }
    QString failure;
    try {
        lum::CovarianceCalculator(cancelFlag_, HessianStep).compute(likelihood, x, covariance);
    } catch (const NR3::NRError& e) {
        failure = QString::fromLatin1(e.message);
    } catch (const std::exception& e) {
        failure = QString::fromLatin1(e.what());
    }
    if (canceled()) {
        return false;
    }
    if (failure.isEmpty() && !isPositiveDefinite(covariance)) {
        failure = QString::fromLatin1(NOT_POSITIVE_DEFINITE);
    }
    if (!failure.isEmpty()) {
        warning(QStringLiteral("Error estimating covariance matrix: ") + failure);
        return false;
    }
    return true;
}

} // namespace rivulet
