#pragma once

#include "rivulet/model/FitSummary.h"

#include <QString>

#include <optional>
#include <vector>

namespace lum {
class DenseMatrix;
}

namespace rivulet {

class ParameterStructure;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

namespace design {

// One quantity a study design is judged by: a performance measure or a free parameter.
struct DesignQuantity
{
    QString name;
    bool measure = false;
    // A release's survival to the detection site furthest down-river.
    bool finalSurvival = false;
    double estimate = 0.0;
    std::optional<double> standardError;
};

// The quantities of one model at `values`, always in the same order for the same structure and
// controllers: every release's survival to each site below it down to the detection site
// furthest down-river ("survival RELEASE to SITE"; not to a site passed unseen, which it
// reaches for certain), the hold-over shares of the first release's
// migrants, the share at a site that passes it in a year after the release year ("hold-over
// YEAR at SITE"), and every free parameter, named by the first parameter at its position
// ("phi RELEASE SITE YEAR-YEAR", "lambda RELEASE YEAR-YEAR", "p RELEASE SITE YEAR").
//
// Standard errors come from `covariance` (null for none) times `covarianceScale`; a free
// parameter has one only when `statuses` (empty: every one) says it was estimated.
std::vector<DesignQuantity>
designQuantities(const ParameterStructure& structure, const std::vector<double>& values,
                 const lum::DenseMatrix* covariance, const std::vector<EstimateStatus>& statuses,
                 double covarianceScale, const ReleasesControllerI& releases,
                 const SitesControllerI& sites, const YearsControllerI& years);

} // namespace design
} // namespace rivulet
