#pragma once

#include "rivulet/model/EquatingScheme.h"
#include "rivulet/model/ModelResult.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace lum {
class DenseMatrix;
}

namespace rivulet {

class CovarianceMap;
class ParameterMap;
class ParameterStructure;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// Every model fitted in one estimation run, in recording order: its scheme, log-likelihood,
// AIC, estimates, covariance matrix (absent when it could not be computed), parameter
// structure, the parameter and covariance maps on them, and its ModelResult record. Owns all
// of it; records, maps and references handed out stay valid until clear() or destruction.
//
// Model i of the accessors is the i-th recorded model, 0 <= i < count().
//
// Written by the model estimator while it runs; read by the views and reports once it has
// ended. The controllers are borrowed and must outlive the results.
class EstimationResults
{
public:
    EstimationResults(const ReleasesControllerI& releases, const SitesControllerI& sites,
                      const YearsControllerI& years);
    EstimationResults(const EstimationResults&) = delete;
    EstimationResults& operator=(const EstimationResults&) = delete;
    ~EstimationResults();

    // Deletes every record and everything it owns; the variance inflation stays.
    void clear();

    // The study-wide ĉ the results are read with (at least 1; 1 by default): every covariance
    // map, of the models recorded and of those to come, answers ĉ times the fitted covariance,
    // so standard errors, Wald intervals and model averages are inflated by √ĉ; the model
    // comparison adds the quasi-likelihood criteria when it is not 1.
    void setVarianceInflation(double chat);
    double varianceInflation() const { return m_chat; }

    // Appends one fitted model and takes ownership of its estimates, its covariance matrix
    // (null when there is none) and its structure; builds the two maps and the record, which
    // keeps the fit's summary.
    const ModelResult& record(const EquatingScheme& scheme, double logLikelihood, double aic,
                              std::vector<double> estimates,
                              std::unique_ptr<lum::DenseMatrix> covariance,
                              std::unique_ptr<ParameterStructure> structure, FitSummary summary);

    // Notes why a model of the run was not recorded (its fit failed or stopped at its limit),
    // for the views to say so where the model's figures would stand.
    void recordFailure(const EquatingScheme& scheme, const QString& reason);
    // The reason noted for the scheme; empty when none was.
    QString failure(const EquatingScheme& scheme) const;
    // Every reason noted, in the order they were.
    const std::vector<std::pair<EquatingScheme, QString>>& failures() const { return m_failures; }

    int count() const { return static_cast<int>(m_models.size()); }
    bool isEmpty() const { return m_models.empty(); }

    EquatingScheme scheme(int i) const;
    double logLikelihood(int i) const;
    double aic(int i) const;
    const std::vector<double>& estimates(int i) const;
    // Null when the model has no covariance matrix.
    const lum::DenseMatrix* covariance(int i) const;
    const ParameterStructure& structure(int i) const;
    const ParameterMap& parameterMap(int i) const;
    const CovarianceMap& covarianceMap(int i) const;
    const ModelResult& result(int i) const;
    // Every record, in recording order.
    std::vector<const ModelResult*> results() const;

    // Position of the model with that scheme, -1 when it was not recorded.
    int indexOf(const EquatingScheme& scheme) const;
    // The model with the lowest AIC (the first one on equal AICs); -1 when there is none.
    int bestIndex() const;
    // AIC of model i minus the lowest AIC.
    double deltaAic(int i) const;

    const ReleasesControllerI& releasesController() const { return m_releases; }
    const SitesControllerI& sitesController() const { return m_sites; }
    const YearsControllerI& yearsController() const { return m_years; }

private:
    struct FittedModel;
    const FittedModel& model(int i) const;

    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    std::vector<std::unique_ptr<FittedModel>> m_models;
    std::vector<std::pair<EquatingScheme, QString>> m_failures;
    double m_chat = 1.0;
};

} // namespace rivulet
