#pragma once

#include "rivulet/model/EquatingScheme.h"
#include "rivulet/results/ModelSelectionCriterion.h"

#include <QString>

#include <optional>
#include <vector>

namespace rivulet {

class EstimationResults;
class ModelCatalogue;

// The fitted models of an estimation run side by side, in recording order: name and
// description, AIC difference to the lowest AIC, number of parameters, log-likelihood and
// AIC, then AICc, its difference to the lowest AICc and the Akaike weight (AkaikeWeights;
// n is the number of fish released in the releases of the analysis). The best model is the
// one with the lowest AIC, or the lowest AICc when the criterion says so and some model has
// one (the first of equals).
//
// With the results' ĉ (EstimationResults::varianceInflation()) above 1 the quasi-likelihood
// criteria follow: QAIC = −2 ln L / ĉ + 2K, QAICc = QAIC + 2K(K + 1) / (n − K − 1), the
// difference to the lowest QAICc and the QAICc weight; K counts the model's parameters as AIC
// does, without one for ĉ (a study-wide constant, the same for every model). The best model is
// then the one with the lowest QAICc (the lowest AIC when no model has one), and model averages
// take the QAICc weights.
class ModelComparison
{
public:
    struct Row
    {
        QString name;
        QString description;
        EquatingScheme scheme;
        double deltaAic = 0.0;
        int numParameters = 0;
        // The parameter directions the data inform (FitSummary::informedParameters).
        int informedParameters = 0;
        double logLikelihood = 0.0;
        double aic = 0.0;
        std::optional<double> aicc;
        std::optional<double> deltaAicc;
        std::optional<double> weight;
        bool best = false;
        // Only with ĉ ≠ 1.
        std::optional<double> qaic;
        std::optional<double> qaicc;
        std::optional<double> deltaQaicc;
        std::optional<double> qaiccWeight;
        // How the fit ended and whether the model has a covariance matrix (FitSummary).
        QString status;
    };

    // Both are read at construction only.
    // With Count::Informed, AIC, AICc and the weights count the parameters the data inform.
    ModelComparison(const ModelCatalogue& catalogue, const EstimationResults& results,
                    qint64 releasedFish = 0,
                    ModelSelectionCriterion::Kind criterion = ModelSelectionCriterion::Aic,
                    ModelSelectionCriterion::Count count = ModelSelectionCriterion::Count::Free);

    const std::vector<Row>& rows() const { return m_rows; }
    // Position of the best model in rows(); -1 when there is none.
    int bestIndex() const { return m_best; }
    ModelSelectionCriterion::Kind criterion() const { return m_criterion; }
    // The ĉ of the results (at least 1), and whether the quasi-likelihood criteria are shown.
    double chat() const { return m_chat; }
    bool quasiLikelihood() const { return m_chat != 1.0; }
    // The weight a model average gives row i: its QAICc weight with ĉ ≠ 1, else its Akaike
    // weight; none without.
    std::optional<double> averagingWeight(int i) const;
    // A table for the terminal; the best model is marked with "*".
    QString table() const;
    // The same columns as CSV with a header line; best is 1 for the best model, else 0; the
    // AICc columns follow and read "NA" where there is no AICc; then num_informed, and status.
    // With ĉ ≠ 1, qaicc, delta_qaicc, qaicc_weight and chat (the ĉ used) come last.
    QString csv() const;

private:
    std::vector<Row> m_rows;
    int m_best = -1;
    ModelSelectionCriterion::Kind m_criterion;
    double m_chat = 1.0;
};

} // namespace rivulet
