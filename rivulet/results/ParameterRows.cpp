#include "rivulet/results/ParameterRows.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"

#include <algorithm>
#include <cmath>

namespace rivulet {

namespace {

QString statusText(EstimateStatus status)
{
    switch (status) {
    case EstimateStatus::Estimated:
        return QStringLiteral("estimated");
    case EstimateStatus::AtBound:
        return QStringLiteral("at a bound");
    case EstimateStatus::NotEstimable:
        break;
    }
    return QStringLiteral("not estimable");
}

struct Value
{
    const char* family;
    double estimate;
    double variance;
};

Value valueOf(const ParameterEntry& e, const ParameterMap& parameters,
              const CovarianceMap& covariances)
{
    switch (e.family) {
    case ParameterFamily::Phi:
        return {"phi", parameters.phi(e.release, e.site, e.year1, e.year2),
                covariances.phiCovariance(e.release, e.site, e.year1, e.year2, e.site, e.year1,
                                          e.year2)};
    case ParameterFamily::Lambda:
        return {"lambda", parameters.lambda(e.release, e.year1, e.year2),
                covariances.lambdaVariance(e.release, e.year1, e.year2)};
    case ParameterFamily::Capture:
        break;
    }
    return {"p", parameters.capture(e.release, e.site, e.year1),
            covariances.captureCovariance(e.release, e.site, e.year1, e.site, e.year1)};
}

} // namespace

ParameterRows::ParameterRows(const EstimationResults& results, int model)
{
    const ParameterStructure& structure = results.structure(model);
    const ParameterMap& parameters = results.parameterMap(model);
    const CovarianceMap& covariances = results.covarianceMap(model);
    const bool hasCovariance = covariances.hasCovariance();
    const std::vector<EstimateStatus>& statuses = results.result(model).summary.estimates;
    const std::vector<ProfileInterval>& profiles = results.result(model).summary.profiles;
    const QStringList releases = results.releasesController().labels();
    const QStringList sites = results.sitesController().shortNames();
    const QStringList years = results.yearsController().yearLabels();
    for (const ParameterEntry& entry : structure.entries()) {
        const Value value = valueOf(entry, parameters, covariances);
        Row row;
        row.entry = entry;
        const int index = structure.indexOfCell(entry.cell);
        row.fixed = index < 0;
        const EstimateStatus status = !row.fixed && index < static_cast<int>(statuses.size())
                                          ? statuses[static_cast<std::size_t>(index)]
                                          : EstimateStatus::Estimated;
        row.status = row.fixed ? QStringLiteral("fixed") : statusText(status);
        QuantityRow& quantity = row.quantity;
        quantity.kind = QStringLiteral("parameter");
        quantity.name = QString::fromLatin1(value.family);
        quantity.group = releases.value(entry.release);
        quantity.site = sites.value(entry.site);
        quantity.year1 = years.value(entry.year1);
        if (entry.family != ParameterFamily::Capture)
            quantity.year2 = years.value(entry.year2);
        quantity.estimate = value.estimate;
        // An estimate held at its bound has a variance of 0, but no standard error.
        quantity.setStandardError(hasCovariance && status == EstimateStatus::Estimated &&
                                          std::isfinite(value.variance) && value.variance >= 0.0
                                      ? std::optional<double>(std::sqrt(value.variance))
                                      : std::nullopt);
        row.intervalKind = quantity.interval ? QStringLiteral("wald") : QStringLiteral("none");
        const auto profile = std::lower_bound(
            profiles.begin(), profiles.end(), index,
            [](const ProfileInterval& p, int parameter) { return p.parameter < parameter; });
        // Where the likelihood itself gave the interval, it stands instead of the Wald one.
        if (!row.fixed && profile != profiles.end() && profile->parameter == index) {
            quantity.interval = LogitInterval::between(profile->lower, profile->upper);
            row.intervalKind = QStringLiteral("profile");
        }
        m_rows.push_back(std::move(row));
    }
}

std::vector<QuantityRow> ParameterRows::quantities() const
{
    std::vector<QuantityRow> quantities;
    quantities.reserve(m_rows.size());
    for (const Row& row : m_rows)
        quantities.push_back(row.quantity);
    return quantities;
}

} // namespace rivulet
