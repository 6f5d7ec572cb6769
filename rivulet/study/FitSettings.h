#pragma once

#include "rivulet/model/FitOptions.h"

namespace rivulet {

// The fit options the settings "optimizer", "estimation_ending_criterion" and
// "estimation_gradient" choose (their defaults while no database is open). A criterion of 0 or
// less falls back to the default, as it would re-run the optimizer for ever.
FitOptions fitOptionsFromSettings();

} // namespace rivulet
