#include "rivulet/study/FitJob.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelEstimator.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/study/FitSettings.h"
#include "rivulet/study/Study.h"

namespace rivulet {

FitJob::FitJob(Study& study, const Options& options, lum::ThreadRunner* runner)
    : lum::ThreadRunnable(runner), m_study(study), m_store(options.store),
      m_schemes(options.schemes.empty() ? study.catalogue().fitList() : options.schemes),
      m_structure(
          std::make_unique<ParameterStructure>(study.releases(), study.sites(), study.years()))
{
    FitOptions fitOptions = fitOptionsFromSettings();
    if (options.profileAll) {
        fitOptions.profiles = FitOptions::Profiles::All;
    }
    if (options.optimizer) {
        fitOptions.optimizer = *options.optimizer;
        // The optimizer named is the one every block gets.
        fitOptions.newtonFrom = 0;
    }
    if (options.chat) {
        fitOptions.chat = FitOptions::effectiveChat(*options.chat);
    }
    m_estimator = std::make_unique<ModelEstimator>(study.releases(), study.sites(), study.years(),
                                                   study.catalogue(), study.results(),
                                                   study.nextDetections(), fitOptions, runner);
    m_estimator->setStructure(*m_structure);
    m_estimator->setSchemes(m_schemes);
}

FitJob::~FitJob() = default;

void FitJob::run()
{
    clearError();
    std::int64_t fish = 0;
    for (const int release : m_study.releases().ids())
        fish += m_study.fishCount(ReleaseId{release});
    if (fish == 0) {
        // Every model would be fitted with no free parameter and reported as a result.
        fail(lum::JobError::NoData,
             QStringLiteral("There is nothing to fit: no release has any fish."));
        return;
    }
    m_study.clearResults();
    // The results are read with the ĉ they were fitted with (the profile cut-off used it).
    m_study.results().setVarianceInflation(m_estimator->options().chat);
    m_estimator->run();
    // Kept with the study, so that opening it again shows these results without a fit.
    if (m_store) {
        if (const lum::Expected<bool> stored = m_study.storeResults(); !stored)
            warning(QStringLiteral("The results could not be kept with the study: %1")
                        .arg(stored.error().text()));
    }
    m_study.markResultsChanged();
}

} // namespace rivulet
