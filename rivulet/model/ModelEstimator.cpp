#include "rivulet/model/ModelEstimator.h"

#include "lum/estimation/DenseMatrix.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelFit.h"
#include "rivulet/model/ParameterStructure.h"

#include <memory>

namespace rivulet {

ModelEstimator::ModelEstimator(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const ModelCatalogue& catalogue,
                               EstimationResults& results, const NextDetectionsI& counts,
                               FitOptions options, lum::ThreadRunner* runner, QObject* parent)
    : lum::ThreadRunnable(runner, parent), releases_(releases), sites_(sites), years_(years),
      catalogue_(catalogue), results_(results), counts_(counts), options_(std::move(options)),
      cancelFlag_(runner ? runner->canceledFlag() : ownCanceled_)
{
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

void ModelEstimator::setCanceled(bool value)
{
    ownCanceled_ = value;
    lum::ThreadRunnable::setCanceled(value);
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
        if (cancelFlag_.load() || !fitAndRecord(schemes[i], structureTemplate)) {
            return;
        }
        setStep(static_cast<int>(i) + 1);
    }
}

bool ModelEstimator::fitAndRecord(const EquatingScheme& scheme,
                                  const ParameterStructure& structureTemplate)
{
    const QString name = ModelCatalogue::modelName(catalogue_.dataClass(), scheme);
    status(QStringLiteral("\nFitting model ") + name);

    auto structure = std::make_unique<ParameterStructure>(structureTemplate);
    catalogue_.applyModel(scheme.captureCode, scheme.survivalCode, *structure);
    ModelFit fit = fitModel(FitProblem{*structure, counts_, releases_, sites_, years_}, options_,
                            cancelFlag_, [this](const QString& text) { status(text); });
    const FitSummary& summary = fit.summary;
    const bool converged = summary.ending == FitEnding::Converged;
    if (summary.ending == FitEnding::Failed || summary.ending == FitEnding::IterationLimit) {
        warning(name + QStringLiteral(": ") + summary.message);
    }
    if (converged && !summary.hasCovariance()) {
        for (const BlockCovariance& block : summary.blocks) {
            if (block.status != CovarianceStatus::Computed) {
                warning(name + QStringLiteral(": Error estimating covariance matrix: ") +
                        block.message);
                break;
            }
        }
    }
    // A fit that did not converge is not recorded: its point is not an estimate.
    status(name + QStringLiteral(": ") + summary.description() +
           (converged ? QString() : QStringLiteral("; not recorded")));
    if (!converged) {
        return summary.ending != FitEnding::Canceled;
    }
    const int k = structure->numFree();
    const double logLikelihood = summary.logLikelihood;
    const double aic = 2.0 * k - 2.0 * logLikelihood;
    results_.record(scheme, logLikelihood, aic, std::move(fit.estimates), std::move(fit.covariance),
                    std::move(structure), std::move(fit.summary));
    return true;
}

} // namespace rivulet
