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
        // Named by family ("phi", "lambda" or "p"), release label, site short name and year
        // names, with its estimate, standard error and interval.
        QuantityRow quantity;
        bool fixed = false;
        // "estimated", "at a bound", "not estimable" or "fixed" (by the data): why a row has
        // or lacks its standard error.
        QString status;
        // How the interval was found: "wald" (from the standard error), "profile" (from the
        // profile likelihood) or "none".
        QString intervalKind;
    };

    // The results are read at construction only.
    ParameterRows(const EstimationResults& results, int model);

    const std::vector<Row>& rows() const { return m_rows; }
    // The quantities of the rows alone.
    std::vector<QuantityRow> quantities() const;

private:
    std::vector<Row> m_rows;
};

} // namespace rivulet
