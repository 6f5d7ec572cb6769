#include "rivulet/study/FitSettings.h"

#include "rivulet/settings/RivuletSettings.h"

#include <QVariant>

namespace rivulet {

FitOptions fitOptionsFromSettings()
{
    // The estimation settings live in the database; before one is open they read as their
    // defaults.
    const RivuletSettings& settings = RivuletSettings::instance();
    FitOptions options;
    const QVariant optimizer = settings.value(RivuletSettings::Optimizer);
    if (optimizer.isValid()) {
        options.optimizer = optimizer.toString();
    }
    bool ok = false;
    const double criterion =
        settings.value(RivuletSettings::EstimationEndingCriterion).toDouble(&ok);
    if (ok && criterion > 0.0) {
        options.endingCriterion = criterion;
    }
    const QVariant gradient = settings.value(RivuletSettings::EstimationGradient);
    options.gradient = gradient.isValid() && gradient.toInt() == 1
                           ? FitOptions::Gradient::FiniteDifferences
                           : FitOptions::Gradient::Exact;
    if (settings.profileAll()) {
        options.profiles = FitOptions::Profiles::All;
    }
    options.chat = FitOptions::effectiveChat(settings.chat());
    return options;
}

} // namespace rivulet
