#pragma once

#include "rivulet/model/EquatingScheme.h"

#include <QString>

#include <vector>

namespace rivulet {

class EstimationResults;
class ModelCatalogue;

// The fitted models of an estimation run side by side, in recording order: name and
// description, AIC difference to the best model (the lowest AIC; the first of equals),
// number of parameters, log-likelihood and AIC.
class ModelComparison
{
public:
    struct Row
    {
        QString name;
        QString description;
        double deltaAic = 0.0;
        int numParameters = 0;
        double logLikelihood = 0.0;
        double aic = 0.0;
        bool best = false;
    };

    // Both are read at construction only.
    ModelComparison(const ModelCatalogue& catalogue, const EstimationResults& results);

    const std::vector<Row>& rows() const { return rows_; }
    // A table for the terminal; the best model is marked with "*".
    QString table() const;
    // The same columns as CSV with a header line; best is 1 for the best model, else 0.
    QString csv() const;

    // The heading's description, ", " and the model's description, as the model tree shows
    // it; empty for a scheme the catalogue does not hold.
    static QString fullDescription(const ModelCatalogue& catalogue, const EquatingScheme& scheme);

private:
    std::vector<Row> rows_;
};

} // namespace rivulet
