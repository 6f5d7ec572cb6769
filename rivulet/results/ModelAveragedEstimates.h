#pragma once

#include "rivulet/results/QuantityRow.h"

#include <QString>

#include <vector>

namespace rivulet {

class EstimationResults;
class ModelComparison;
class ReleaseSummary;

// The parameters and performance measures of an estimation run averaged over its models by
// their Akaike weights (ModelAverage), as the file averaged.csv and the "Model-Averaged
// Estimates" report give them. Models without a weight (no AICc) take no part.
class ModelAveragedEstimates
{
public:
    static const QString& title();

    // Everything is read at construction only; the comparison gives the weights of the
    // results' models, in the same order.
    ModelAveragedEstimates(const EstimationResults& results, const ModelComparison& comparison,
                           const ReleaseSummary& summary);

    // The averaged quantities: parameters first, then measures.
    const std::vector<QuantityRow>& rows() const { return m_rows; }
    // How many models were averaged.
    int modelCount() const { return m_modelCount; }

    // kind,name,release_or_age_class,site,year1,year2,estimate,se,lcl,ucl
    // with "NA" where there is no standard error or interval (LogitInterval).
    QString csv() const;

private:
    std::vector<QuantityRow> m_rows;
    int m_modelCount = 0;
};

} // namespace rivulet
