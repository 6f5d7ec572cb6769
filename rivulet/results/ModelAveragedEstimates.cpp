#include "rivulet/results/ModelAveragedEstimates.h"

#include "lum/report/CsvText.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/results/CsvNumber.h"
#include "rivulet/results/LogitInterval.h"
#include "rivulet/results/ModelAverage.h"
#include "rivulet/results/ModelComparison.h"
#include "rivulet/results/ParameterRows.h"
#include "rivulet/results/PerformanceTables.h"

namespace rivulet {

const QString& ModelAveragedEstimates::title()
{
    static const QString text = QStringLiteral("Model-Averaged Estimates");
    return text;
}

ModelAveragedEstimates::ModelAveragedEstimates(const EstimationResults& results,
                                               const ModelComparison& comparison,
                                               const ReleaseSummary& summary)
{
    std::vector<ModelAverage::Model> models;
    const auto& rows = comparison.rows();
    for (int i = 0; i < results.count() && i < static_cast<int>(rows.size()); ++i) {
        // The QAICc weight when the comparison uses ĉ; the standard errors are inflated alike.
        const std::optional<double> weight = comparison.averagingWeight(i);
        if (!weight)
            continue;
        ModelAverage::Model model;
        model.weight = *weight;
        model.rows = ParameterRows(results, i).quantities();
        const std::vector<QuantityRow> measures =
            PerformanceTables::measuresOf(results, i, summary);
        model.rows.insert(model.rows.end(), measures.begin(), measures.end());
        models.push_back(std::move(model));
    }
    m_modelCount = static_cast<int>(models.size());
    m_rows = ModelAverage::average(models);
}

QString ModelAveragedEstimates::csv() const
{
    QString text =
        lum::csvLine({QStringLiteral("kind"), QStringLiteral("name"),
                      QStringLiteral("release_or_age_class"), QStringLiteral("site"),
                      QStringLiteral("year1"), QStringLiteral("year2"), QStringLiteral("estimate"),
                      QStringLiteral("se"), QStringLiteral("lcl"), QStringLiteral("ucl")});
    for (const QuantityRow& row : m_rows) {
        text += lum::csvLine({row.kind, row.name, row.group, row.site, row.year1, row.year2,
                              csvNumber(row.estimate), csvNumber(row.standardError),
                              LogitInterval::lowerText(row.interval),
                              LogitInterval::upperText(row.interval)});
    }
    return text;
}

} // namespace rivulet
