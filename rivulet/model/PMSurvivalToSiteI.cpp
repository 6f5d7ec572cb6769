#include "rivulet/model/PMSurvivalToSiteI.h"

namespace rivulet {

PMSurvivalToSiteI::~PMSurvivalToSiteI() = default;

} // namespace rivulet
