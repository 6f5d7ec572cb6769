#pragma once

#include "rivulet/model/ParameterEntry.h"
#include "rivulet/results/QuantityRow.h"

#include <optional>
#include <vector>

namespace rivulet {

class EstimationResults;

// Every parameter of one fitted model, one row per parameter of the model's index space in
// numbering order, with its estimate, its standard error (none without a covariance matrix
// or a usable variance) and whether the data fixed it.
class ParameterRows
{
public:
    struct Row
    {
        ParameterEntry entry;
        // "phi", "lambda" or "p".
        QString family;
        double estimate = 0.0;
        std::optional<double> standardError;
        bool fixed = false;
    };

    // The results are read at construction only.
    ParameterRows(const EstimationResults& results, int model);

    const std::vector<Row>& rows() const { return rows_; }
    // The same parameters named by release label, site short name and year names.
    const std::vector<QuantityRow>& quantities() const { return quantities_; }

private:
    std::vector<Row> rows_;
    std::vector<QuantityRow> quantities_;
};

} // namespace rivulet
