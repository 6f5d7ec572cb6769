#include "rivulet/model/EstimationResults.h"

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"

#include <stdexcept>

namespace rivulet {

// One recorded model. The maps point into the structure, the estimates and the matrix of
// the same object, which therefore never moves once made.
struct EstimationResults::FittedModel
{
    FittedModel(const EquatingScheme& fittedScheme, double lnL, double modelAic,
                std::vector<double> x, std::unique_ptr<lum::DenseMatrix> matrix,
                std::unique_ptr<ParameterStructure> modelStructure, FitSummary fitSummary)
        : scheme(fittedScheme), logLikelihood(lnL), aic(modelAic), estimates(std::move(x)),
          covariance(std::move(matrix)), structure(std::move(modelStructure)),
          parameterMap(*structure, estimates), covarianceMap(*structure, covariance.get())
    {
        result.captureCode = scheme.captureCode;
        result.survivalCode = scheme.survivalCode;
        result.aic = aic;
        result.logLikelihood = logLikelihood;
        result.parameters = &parameterMap;
        result.covariances = &covarianceMap;
        result.summary = std::move(fitSummary);
    }
    FittedModel(const FittedModel&) = delete;
    FittedModel& operator=(const FittedModel&) = delete;

    EquatingScheme scheme;
    double logLikelihood = 0.0;
    double aic = 0.0;
    std::vector<double> estimates;
    std::unique_ptr<lum::DenseMatrix> covariance;
    std::unique_ptr<ParameterStructure> structure;
    ParameterMap parameterMap;
    CovarianceMap covarianceMap;
    ModelResult result;
};

EstimationResults::EstimationResults(const ReleasesControllerI& releases,
                                     const SitesControllerI& sites, const YearsControllerI& years)
    : m_releases(releases), m_sites(sites), m_years(years)
{
}

EstimationResults::~EstimationResults() = default;

void EstimationResults::clear()
{
    m_models.clear();
    m_failures.clear();
}

void EstimationResults::recordFailure(const EquatingScheme& scheme, const QString& reason)
{
    m_failures.emplace_back(scheme, reason);
}

QString EstimationResults::failure(const EquatingScheme& scheme) const
{
    for (const auto& [failed, reason] : m_failures) {
        if (failed == scheme)
            return reason;
    }
    return {};
}

void EstimationResults::setVarianceInflation(double chat)
{
    m_chat = chat > 1.0 ? chat : 1.0;
    for (const auto& fitted : m_models)
        fitted->covarianceMap.setScale(m_chat);
}

const ModelResult& EstimationResults::record(const EquatingScheme& scheme, double logLikelihood,
                                             double aic, std::vector<double> estimates,
                                             std::unique_ptr<lum::DenseMatrix> covariance,
                                             std::unique_ptr<ParameterStructure> structure,
                                             FitSummary summary)
{
    if (!structure) {
        throw std::invalid_argument("a fitted model needs its parameter structure");
    }
    m_models.push_back(std::make_unique<FittedModel>(scheme, logLikelihood, aic,
                                                     std::move(estimates), std::move(covariance),
                                                     std::move(structure), std::move(summary)));
    m_models.back()->covarianceMap.setScale(m_chat);
    return m_models.back()->result;
}

const EstimationResults::FittedModel& EstimationResults::model(int i) const
{
    return *m_models.at(static_cast<std::size_t>(i));
}

EquatingScheme EstimationResults::scheme(int i) const
{
    return model(i).scheme;
}

double EstimationResults::logLikelihood(int i) const
{
    return model(i).logLikelihood;
}

double EstimationResults::aic(int i) const
{
    return model(i).aic;
}

const std::vector<double>& EstimationResults::estimates(int i) const
{
    return model(i).estimates;
}

const lum::DenseMatrix* EstimationResults::covariance(int i) const
{
    return model(i).covariance.get();
}

const ParameterStructure& EstimationResults::structure(int i) const
{
    return *model(i).structure;
}

const ParameterMap& EstimationResults::parameterMap(int i) const
{
    return model(i).parameterMap;
}

const CovarianceMap& EstimationResults::covarianceMap(int i) const
{
    return model(i).covarianceMap;
}

const ModelResult& EstimationResults::result(int i) const
{
    return model(i).result;
}

std::vector<const ModelResult*> EstimationResults::results() const
{
    std::vector<const ModelResult*> records;
    records.reserve(m_models.size());
    for (const auto& m : m_models) {
        records.push_back(&m->result);
    }
    return records;
}

int EstimationResults::indexOf(const EquatingScheme& scheme) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_models[static_cast<std::size_t>(i)]->scheme == scheme) {
            return i;
        }
    }
    return -1;
}

int EstimationResults::bestIndex() const
{
    int best = -1;
    for (int i = 0; i < count(); ++i) {
        if (best < 0 || aic(i) < aic(best)) {
            best = i;
        }
    }
    return best;
}

double EstimationResults::deltaAic(int i) const
{
    return aic(i) - aic(bestIndex());
}

} // namespace rivulet
