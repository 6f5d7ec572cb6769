#include "rivulet/design/DesignQuantities.h"

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/PerformanceMeasures.h"

#include <cmath>

namespace rivulet::design {

namespace {

DesignQuantity measureOf(const QString& name, const MeasureValue& value)
{
    DesignQuantity quantity;
    quantity.name = name;
    quantity.measure = true;
    quantity.estimate = value.estimate;
    if (value.hasStandardError())
        quantity.standardError = value.standardError();
    return quantity;
}

QString parameterName(const ParameterEntry& entry, const QStringList& releases,
                      const QStringList& sites, const QStringList& years)
{
    const QString release = releases.value(entry.release);
    switch (entry.family) {
    case ParameterFamily::Phi:
        return QStringLiteral("phi %1 %2 %3-%4")
            .arg(release, sites.value(entry.site), years.value(entry.year1),
                 years.value(entry.year2));
    case ParameterFamily::Lambda:
        return QStringLiteral("lambda %1 %2-%3")
            .arg(release, years.value(entry.year1), years.value(entry.year2));
    case ParameterFamily::Capture:
        break;
    }
    return QStringLiteral("p %1 %2 %3")
        .arg(release, sites.value(entry.site), years.value(entry.year1));
}

} // namespace

std::vector<DesignQuantity>
designQuantities(const ParameterStructure& structure, const std::vector<double>& values,
                 const lum::DenseMatrix* covariance, const std::vector<EstimateStatus>& statuses,
                 double covarianceScale, const ReleasesControllerI& releases,
                 const SitesControllerI& sites, const YearsControllerI& years)
{
    const ParameterMap parameters(structure, values);
    CovarianceMap covariances(structure, covariance);
    covariances.setScale(covarianceScale);
    const PerformanceMeasures measures(releases, sites, years, parameters, covariances);
    const PMSurvivalToSite& survival = measures.survival();
    const QStringList releaseLabels = releases.labels();
    const QStringList siteNames = sites.shortNames();
    const QStringList yearNames = years.yearLabels();
    const int lastSite = survival.siteCount() - 2;

    std::vector<DesignQuantity> quantities;
    for (int r = 0; r < survival.releaseCount(); ++r) {
        const int releaseSite = survival.relSite(r);
        if (releaseSite < 0)
            continue;
        for (int s = releaseSite + 1; s <= lastSite; ++s) {
            // A site passed unseen is reached for certain: nothing to judge there.
            if (survival.isSurvivalFixed(r, s))
                continue;
            DesignQuantity quantity = measureOf(
                QStringLiteral("survival %1 to %2").arg(releaseLabels.value(r), siteNames.value(s)),
                measures.survivalToSite(r, s));
            quantity.finalSurvival = s == lastSite;
            quantities.push_back(std::move(quantity));
        }
    }
    const int firstSite = survival.releaseCount() > 0 ? survival.relSite(0) : -1;
    const int firstYear = survival.releaseCount() > 0 ? survival.relYear(0) : -1;
    if (firstSite >= 0) {
        for (int s = firstSite + 1; s <= lastSite; ++s) {
            for (int y = firstYear + 1; y < survival.yearCount(); ++y)
                quantities.push_back(measureOf(QStringLiteral("hold-over %1 at %2")
                                                   .arg(yearNames.value(y), siteNames.value(s)),
                                               measures.ageComposition(s, y)));
        }
    }

    const int free = structure.numFree();
    std::vector<int> named(static_cast<std::size_t>(free), 0);
    const bool hasCovariance = covariance && covariance->rows() == free;
    for (const ParameterEntry& entry : structure.entries()) {
        const int index = structure.indexOfCell(entry.cell);
        if (index < 0 || index >= free || named[static_cast<std::size_t>(index)])
            continue;
        named[static_cast<std::size_t>(index)] = 1;
        DesignQuantity quantity;
        quantity.name = parameterName(entry, releaseLabels, siteNames, yearNames);
        quantity.estimate = values.at(static_cast<std::size_t>(index));
        const bool estimated = statuses.empty() || statuses.at(static_cast<std::size_t>(index)) ==
                                                       EstimateStatus::Estimated;
        if (hasCovariance && estimated) {
            const double variance = (*covariance)(index, index) * covarianceScale;
            if (std::isfinite(variance) && variance >= 0.0)
                quantity.standardError = std::sqrt(variance);
        }
        quantities.push_back(std::move(quantity));
    }
    return quantities;
}

} // namespace rivulet::design
