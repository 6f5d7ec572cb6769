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
    : lum::ThreadRunnable(runner), study_(study), store_(options.store),
      schemes_(options.schemes.empty() ? study.catalogue().fitList() : options.schemes),
      structure_(
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
    estimator_ = std::make_unique<ModelEstimator>(study.releases(), study.sites(), study.years(),
                                                  study.catalogue(), study.results(),
                                                  study.nextDetections(), fitOptions, runner);
    estimator_->setStructure(*structure_);
    estimator_->setSchemes(schemes_);
}

FitJob::~FitJob() = default;

void FitJob::run()
{
    clearError();
    std::int64_t fish = 0;
    for (const int release : study_.releases().ids())
        fish += study_.fishCount(ReleaseId{release});
    if (fish == 0) {
        // Every model would be fitted with no free parameter and reported as a result.
        fail(lum::JobError::NoData,
             QStringLiteral("There is nothing to fit: no release has any fish."));
        return;
    }
    study_.clearResults();
    // The results are read with the ĉ they were fitted with (the profile cut-off used it).
    study_.results().setVarianceInflation(estimator_->options().chat);
    estimator_->run();
    // Kept with the study, so that opening it again shows these results without a fit.
    QString error;
    if (store_ && !study_.storeResults(&error) && !error.isEmpty())
        warning(QStringLiteral("The results could not be kept with the study: %1").arg(error));
    study_.markResultsChanged();
}

} // namespace rivulet
