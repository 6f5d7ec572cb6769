#include "rivulet/results/ModelComparison.h"

#include "lum/report/CsvText.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"

#include <QStringList>

namespace rivulet {

namespace {

QString fixed4(double value)
{
    return QString::number(value, 'f', 4);
}

QString precise(double value)
{
    return QString::number(value, 'g', 12);
}

} // namespace

ModelComparison::ModelComparison(const ModelCatalogue& catalogue, const EstimationResults& results)
{
    const int best = results.bestIndex();
    const DataClass dataClass = catalogue.dataClass();
    for (int i = 0; i < results.count(); ++i) {
        const ModelResult& result = results.result(i);
        Row row;
        row.name = ModelCatalogue::modelName(dataClass, result.scheme());
        row.description = fullDescription(catalogue, result.scheme());
        row.deltaAic = results.deltaAic(i);
        row.numParameters = result.numParameters();
        row.logLikelihood = result.logLikelihood;
        row.aic = result.aic;
        row.best = i == best;
        rows_.push_back(row);
    }
}

QString ModelComparison::fullDescription(const ModelCatalogue& catalogue,
                                         const EquatingScheme& scheme)
{
    QString heading;
    for (const auto& item : catalogue.definitionItems()) {
        if (item->isHeading()) {
            heading = item->description();
        } else if (item->scheme() == scheme) {
            return heading + QStringLiteral(", ") + item->description();
        }
    }
    return QString();
}

QString ModelComparison::table() const
{
    int nameWidth = 5;
    for (const Row& row : rows_) {
        nameWidth = std::max(nameWidth, static_cast<int>(row.name.size()));
    }
    QString text = QStringLiteral("  %1 %2 %3 %4 %5  %6\n")
                       .arg(QStringLiteral("Name"), -nameWidth)
                       .arg(QStringLiteral("Delta AIC"), 12)
                       .arg(QStringLiteral("Num Params"), 10)
                       .arg(QStringLiteral("Ln Likelihood"), 16)
                       .arg(QStringLiteral("AIC"), 14)
                       .arg(QStringLiteral("Description"));
    for (const Row& row : rows_) {
        text += QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
                    .arg(row.best ? QLatin1Char('*') : QLatin1Char(' '))
                    .arg(row.name, -nameWidth)
                    .arg(fixed4(row.deltaAic), 12)
                    .arg(row.numParameters, 10)
                    .arg(fixed4(row.logLikelihood), 16)
                    .arg(fixed4(row.aic), 14)
                    .arg(row.description);
    }
    return text;
}

QString ModelComparison::csv() const
{
    QString text = lum::csvLine({QStringLiteral("model"), QStringLiteral("description"),
                                 QStringLiteral("delta_aic"), QStringLiteral("num_params"),
                                 QStringLiteral("log_likelihood"), QStringLiteral("aic"),
                                 QStringLiteral("best")});
    for (const Row& row : rows_) {
        text +=
            lum::csvLine({row.name, row.description, precise(row.deltaAic),
                          QString::number(row.numParameters), precise(row.logLikelihood),
                          precise(row.aic), row.best ? QStringLiteral("1") : QStringLiteral("0")});
    }
    return text;
}

} // namespace rivulet
