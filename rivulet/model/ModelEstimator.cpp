#include "rivulet/model/ModelEstimator.h"

#include "lum/estimation/DenseMatrix.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelFit.h"
#include "rivulet/model/ParameterEntry.h"
#include "rivulet/model/ParameterStructure.h"

#include <memory>

namespace rivulet {

ModelEstimator::ModelEstimator(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, const ModelCatalogue& catalogue,
                               EstimationResults& results, const NextDetectionsI& counts,
                               FitOptions options, lum::ThreadRunner* runner, QObject* parent)
    : lum::ThreadRunnable(runner, parent), m_releases(releases), m_sites(sites), m_years(years),
      m_catalogue(catalogue), m_results(results), m_counts(counts), m_options(std::move(options)),
      m_cancelFlag(runner ? runner->canceledFlag() : m_ownCanceled)
{
}

ModelEstimator::~ModelEstimator() = default;

void ModelEstimator::setStructure(const ParameterStructure& structure)
{
    m_structureTemplate = &structure;
}

void ModelEstimator::setSchemes(std::vector<EquatingScheme> schemes)
{
    m_schemes = std::move(schemes);
}

void ModelEstimator::setCanceled(bool value)
{
    m_ownCanceled = value;
    lum::ThreadRunnable::setCanceled(value);
}

void ModelEstimator::run()
{
    // Copies: the catalogue may be rebuilt while the results are read later.
    const std::vector<EquatingScheme> schemes =
        m_schemes.empty() ? m_catalogue.fitList() : m_schemes;
    std::unique_ptr<ParameterStructure> ownTemplate;
    if (!m_structureTemplate) {
        ownTemplate = std::make_unique<ParameterStructure>(m_releases, m_sites, m_years);
    }
    const ParameterStructure& structureTemplate =
        m_structureTemplate ? *m_structureTemplate : *ownTemplate;

    setNumSteps(static_cast<int>(schemes.size()));
    setStep(0);
    for (std::size_t i = 0; i < schemes.size(); ++i) {
        if (m_cancelFlag.load() || !fitAndRecord(schemes[i], structureTemplate)) {
            return;
        }
        setStep(static_cast<int>(i) + 1);
    }
}

bool ModelEstimator::fitAndRecord(const EquatingScheme& scheme,
                                  const ParameterStructure& structureTemplate)
{
    const QString name = ModelCatalogue::modelName(m_catalogue.dataClass(), scheme);
    status(QStringLiteral("\nFitting model ") + name);

    auto structure = std::make_unique<ParameterStructure>(structureTemplate);
    m_catalogue.applyModel(scheme.captureCode, scheme.survivalCode, *structure);
    ModelFit fit = fitModel(FitProblem{*structure, m_counts, m_releases, m_sites, m_years},
                            m_options, m_cancelFlag, [this](const QString& text) { status(text); });
    const FitSummary& summary = fit.summary;
    const bool converged = summary.ending == FitEnding::Converged;
    if (summary.ending == FitEnding::Failed || summary.ending == FitEnding::IterationLimit) {
        warning(name + QStringLiteral(": ") + summary.message);
    }
    if (converged) {
        warnOfCovariance(name, summary, *structure);
    }
    // A fit that did not converge is not recorded: its point is not an estimate.
    status(name + QStringLiteral(": ") + summary.description() +
           (converged ? QString() : QStringLiteral("; not recorded")));
    if (!converged) {
        if (summary.ending != FitEnding::Canceled) {
            m_results.recordFailure(scheme, summary.message.isEmpty() ? summary.description()
                                                                      : summary.message);
        }
        return summary.ending != FitEnding::Canceled;
    }
    const int k = structure->numFree();
    const double logLikelihood = summary.logLikelihood;
    const double aic = 2.0 * k - 2.0 * logLikelihood;
    m_results.record(scheme, logLikelihood, aic, std::move(fit.estimates),
                     std::move(fit.covariance), std::move(structure), std::move(fit.summary));
    return true;
}

void ModelEstimator::warnOfCovariance(const QString& name, const FitSummary& summary,
                                      const ParameterStructure& structure)
{
    for (const BlockCovariance& block : summary.blocks) {
        if (block.status != CovarianceStatus::Computed &&
            block.status != CovarianceStatus::Reduced) {
            warning(name + QStringLiteral(": Error estimating covariance matrix: ") +
                    block.message);
            return;
        }
    }
    if (summary.estimates.empty()) {
        return;
    }
    // The free parameters by name, for the reader to find them in the reports.
    std::vector<const ParameterEntry*> entryOf(static_cast<std::size_t>(structure.numFree()),
                                               nullptr);
    for (const ParameterEntry& entry : structure.entries()) {
        const int index = structure.indexOfCell(entry.cell);
        if (index >= 0 && index < static_cast<int>(entryOf.size())) {
            entryOf[static_cast<std::size_t>(index)] = &entry;
        }
    }
    const QStringList releases = m_releases.labels();
    const QStringList sites = m_sites.shortNames();
    const QStringList years = m_years.yearLabels();
    const auto nameOf = [&](int index) -> QString {
        const ParameterEntry* entry = entryOf[static_cast<std::size_t>(index)];
        if (!entry) {
            return QString::number(index);
        }
        const QString family = entry->family == ParameterFamily::Phi      ? QStringLiteral("phi")
                               : entry->family == ParameterFamily::Lambda ? QStringLiteral("lambda")
                                                                          : QStringLiteral("p");
        QString where = releases.value(entry->release) + QLatin1Char(' ') +
                        sites.value(entry->site) + QLatin1Char(' ') + years.value(entry->year1);
        if (entry->family != ParameterFamily::Capture) {
            where += QLatin1Char('-') + years.value(entry->year2);
        }
        return family + QLatin1Char('(') + where + QLatin1Char(')');
    };
    // Enough to act on without flooding the log of a study of a hundred releases.
    constexpr int MostBlocks = 5;
    constexpr int MostNames = 6;
    int reported = 0;
    int reduced = 0;
    for (std::size_t b = 0; b < summary.blocks.size(); ++b) {
        const BlockCovariance& block = summary.blocks[b];
        if (block.status != CovarianceStatus::Reduced) {
            continue;
        }
        ++reduced;
        if (reported == MostBlocks) {
            continue;
        }
        ++reported;
        QStringList atBound;
        QStringList notEstimable;
        for (const int p : block.parameters) {
            const EstimateStatus status = summary.estimates[static_cast<std::size_t>(p)];
            if (status == EstimateStatus::AtBound) {
                atBound << nameOf(p);
            } else if (status == EstimateStatus::NotEstimable) {
                notEstimable << nameOf(p);
            }
        }
        const auto list = [](const QStringList& names) -> QString {
            return names.size() <= MostNames
                       ? names.join(QStringLiteral(", "))
                       : QStringList(names.mid(0, MostNames)).join(QStringLiteral(", ")) +
                             QStringLiteral(" and %1 more").arg(names.size() - MostNames);
        };
        QString text = name + QStringLiteral(": block %1 of %2 (%3 parameters): standard errors "
                                             "without")
                                  .arg(b + 1)
                                  .arg(summary.blocks.size())
                                  .arg(block.parameters.size());
        if (!atBound.isEmpty()) {
            text += QStringLiteral(" %1 at a bound (%2)").arg(atBound.size()).arg(list(atBound));
        }
        if (!notEstimable.isEmpty()) {
            text += QStringLiteral("%1 %2 not estimable (%3)")
                        .arg(atBound.isEmpty() ? QString() : QStringLiteral(" and"))
                        .arg(notEstimable.size())
                        .arg(list(notEstimable));
        }
        warning(text);
    }
    if (reduced > reported) {
        warning(
            name +
            QStringLiteral(": %1 more blocks with estimates set aside").arg(reduced - reported));
    }
}

} // namespace rivulet
