#include "rivulet/results/ModelComparison.h"

#include "lum/report/CsvText.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/results/AkaikeWeights.h"
#include "rivulet/results/ModelDescription.h"

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

QString fixed4(const std::optional<double>& value)
{
    return value ? fixed4(*value) : QStringLiteral("NA");
}

QString precise(const std::optional<double>& value)
{
    return value ? precise(*value) : QStringLiteral("NA");
}

} // namespace

ModelComparison::ModelComparison(const ModelCatalogue& catalogue, const EstimationResults& results,
                                 qint64 releasedFish, ModelSelectionCriterion::Kind criterion,
                                 ModelSelectionCriterion::Count count)
    : m_criterion(criterion), m_chat(results.varianceInflation())
{
    const DataClass dataClass = catalogue.dataClass();
    const bool informed = count == ModelSelectionCriterion::Count::Informed;
    std::vector<AkaikeWeights::Model> models;
    std::vector<AkaikeWeights::Model> quasiModels;
    int lowestAic = -1;
    for (int i = 0; i < results.count(); ++i) {
        const ModelResult& result = results.result(i);
        Row row;
        row.name = ModelCatalogue::modelName(dataClass, result.scheme());
        row.description = ModelDescription::of(catalogue, result.scheme()).fullDescription;
        row.scheme = result.scheme();
        row.numParameters = result.numParameters();
        // A model without a covariance knows no informed count; all its parameters count.
        row.informedParameters = result.summary.estimates.empty()
                                     ? row.numParameters
                                     : result.summary.informedParameters;
        row.logLikelihood = result.logLikelihood;
        const int counted = informed ? row.informedParameters : row.numParameters;
        row.aic = informed ? 2.0 * counted - 2.0 * result.logLikelihood : result.aic;
        row.status = result.summary.statusText();
        // The lowest AIC, the first of equals.
        if (lowestAic < 0 || row.aic < m_rows[static_cast<std::size_t>(lowestAic)].aic)
            lowestAic = i;
        m_rows.push_back(row);
        models.push_back({row.aic, counted});
        quasiModels.push_back({-2.0 * result.logLikelihood / m_chat + 2.0 * counted, counted});
    }
    for (Row& row : m_rows)
        row.deltaAic = row.aic - m_rows[static_cast<std::size_t>(lowestAic)].aic;
    const AkaikeWeights weights(models, releasedFish);
    for (int i = 0; i < weights.count(); ++i) {
        Row& row = m_rows[static_cast<std::size_t>(i)];
        row.aicc = weights.aicc(i);
        row.deltaAicc = weights.deltaAicc(i);
        row.weight = weights.weight(i);
    }
    // Without any AICc (too few fish for every model) the lowest AIC still names a best model.
    m_best = criterion == ModelSelectionCriterion::Aicc && weights.bestIndex() >= 0
                 ? weights.bestIndex()
                 : lowestAic;
    if (quasiLikelihood()) {
        // QAICc is AICc's small-sample term added to QAIC.
        const AkaikeWeights quasi(quasiModels, releasedFish);
        for (int i = 0; i < quasi.count(); ++i) {
            Row& row = m_rows[static_cast<std::size_t>(i)];
            row.qaic = quasiModels[static_cast<std::size_t>(i)].aic;
            row.qaicc = quasi.aicc(i);
            row.deltaQaicc = quasi.deltaAicc(i);
            row.qaiccWeight = quasi.weight(i);
        }
        if (quasi.bestIndex() >= 0)
            m_best = quasi.bestIndex();
    }
    if (m_best >= 0)
        m_rows[static_cast<std::size_t>(m_best)].best = true;
}

std::optional<double> ModelComparison::averagingWeight(int i) const
{
    const Row& row = m_rows.at(static_cast<std::size_t>(i));
    return quasiLikelihood() ? row.qaiccWeight : row.weight;
}

QString ModelComparison::table() const
{
    int nameWidth = 5;
    for (const Row& row : m_rows) {
        nameWidth = std::max(nameWidth, static_cast<int>(row.name.size()));
    }
    QString text = QStringLiteral("  %1 %2 %3 %4 %5 %6 %7 %8  %9\n")
                       .arg(QStringLiteral("Name"), -nameWidth)
                       .arg(QStringLiteral("Delta AIC"), 12)
                       .arg(QStringLiteral("Num Params"), 10)
                       .arg(QStringLiteral("Ln Likelihood"), 16)
                       .arg(QStringLiteral("AIC"), 14)
                       .arg(QStringLiteral("AICc"), 14)
                       .arg(QStringLiteral("Delta AICc"), 12)
                       .arg(QStringLiteral("Weight"), 8)
                       .arg(QStringLiteral("Description"));
    if (quasiLikelihood()) {
        // The quasi-likelihood columns go before the description.
        text.insert(text.lastIndexOf(QStringLiteral("  Description")),
                    QStringLiteral(" %1 %2 %3")
                        .arg(QStringLiteral("QAICc"), 14)
                        .arg(QStringLiteral("Delta QAICc"), 12)
                        .arg(QStringLiteral("QWeight"), 8));
    }
    for (const Row& row : m_rows) {
        const QString quasi = quasiLikelihood() ? QStringLiteral(" %1 %2 %3")
                                                      .arg(fixed4(row.qaicc), 14)
                                                      .arg(fixed4(row.deltaQaicc), 12)
                                                      .arg(fixed4(row.qaiccWeight), 8)
                                                : QString();
        text += QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9%10  %11\n")
                    .arg(row.best ? QLatin1Char('*') : QLatin1Char(' '))
                    .arg(row.name, -nameWidth)
                    .arg(fixed4(row.deltaAic), 12)
                    .arg(row.numParameters, 10)
                    .arg(fixed4(row.logLikelihood), 16)
                    .arg(fixed4(row.aic), 14)
                    .arg(fixed4(row.aicc), 14)
                    .arg(fixed4(row.deltaAicc), 12)
                    .arg(fixed4(row.weight), 8)
                    .arg(quasi)
                    .arg(row.description);
    }
    if (quasiLikelihood())
        text += QStringLiteral("Quasi-likelihood with c-hat = %1: QAICc and its weights; standard "
                               "errors and intervals inflated by sqrt(c-hat).\n")
                    .arg(precise(m_chat));
    return text;
}

QString ModelComparison::csv() const
{
    QString text = lum::csvLine(
        {QStringLiteral("model"), QStringLiteral("description"), QStringLiteral("delta_aic"),
         QStringLiteral("num_params"), QStringLiteral("log_likelihood"), QStringLiteral("aic"),
         QStringLiteral("best"), QStringLiteral("aicc"), QStringLiteral("delta_aicc"),
         QStringLiteral("weight"), QStringLiteral("num_informed"), QStringLiteral("status")});
    if (quasiLikelihood()) {
        text = lum::csvLine(
            {QStringLiteral("model"), QStringLiteral("description"), QStringLiteral("delta_aic"),
             QStringLiteral("num_params"), QStringLiteral("log_likelihood"), QStringLiteral("aic"),
             QStringLiteral("best"), QStringLiteral("aicc"), QStringLiteral("delta_aicc"),
             QStringLiteral("weight"), QStringLiteral("num_informed"), QStringLiteral("status"),
             QStringLiteral("qaicc"), QStringLiteral("delta_qaicc"), QStringLiteral("qaicc_weight"),
             QStringLiteral("chat")});
    }
    for (const Row& row : m_rows) {
        QStringList fields{row.name,
                           row.description,
                           precise(row.deltaAic),
                           QString::number(row.numParameters),
                           precise(row.logLikelihood),
                           precise(row.aic),
                           row.best ? QStringLiteral("1") : QStringLiteral("0"),
                           precise(row.aicc),
                           precise(row.deltaAicc),
                           precise(row.weight),
                           QString::number(row.informedParameters),
                           row.status};
        if (quasiLikelihood())
            fields << precise(row.qaicc) << precise(row.deltaQaicc) << precise(row.qaiccWeight)
                   << precise(m_chat);
        text += lum::csvLine(fields);
    }
    return text;
}

} // namespace rivulet
