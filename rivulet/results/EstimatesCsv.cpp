#include "rivulet/results/EstimatesCsv.h"

#include "lum/report/CsvText.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"

#include <cmath>

namespace rivulet {

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

// The standard error from a variance; empty when there is none to give.
QString standardError(bool hasCovariance, double variance)
{
    if (!hasCovariance || !std::isfinite(variance) || variance < 0.0) {
        return QString();
    }
    return number(std::sqrt(variance));
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

QString EstimatesCsv::text(const ModelCatalogue& catalogue, const EstimationResults& results)
{
    QString text =
        lum::csvLine({QStringLiteral("model"), QStringLiteral("family"),
                      QStringLiteral("release_label"), QStringLiteral("release"),
                      QStringLiteral("site"), QStringLiteral("year1"), QStringLiteral("year2"),
                      QStringLiteral("estimate"), QStringLiteral("se"), QStringLiteral("fixed")});
    const QStringList labels = results.releasesController().labels();
    for (int i = 0; i < results.count(); ++i) {
        const QString name = ModelCatalogue::modelName(catalogue.dataClass(), results.scheme(i));
        const ParameterStructure& structure = results.structure(i);
        const ParameterMap& parameters = results.parameterMap(i);
        const CovarianceMap& covariances = results.covarianceMap(i);
        const bool hasCovariance = covariances.hasCovariance();
        for (const ParameterEntry& entry : structure.entries()) {
            const Value value = valueOf(entry, parameters, covariances);
            const bool fixed = structure.indexOfCell(entry.cell) < 0;
            text += lum::csvLine(
                {name, QString::fromLatin1(value.family), labels.value(entry.release),
                 QString::number(entry.release), QString::number(entry.site),
                 QString::number(entry.year1),
                 entry.family == ParameterFamily::Capture ? QString()
                                                          : QString::number(entry.year2),
                 number(value.estimate), standardError(hasCovariance, value.variance),
                 fixed ? QStringLiteral("1") : QStringLiteral("0")});
        }
    }
    return text;
}

} // namespace rivulet
