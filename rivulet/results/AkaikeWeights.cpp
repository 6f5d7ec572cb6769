#include "rivulet/results/AkaikeWeights.h"

#include <cmath>

namespace rivulet {

AkaikeWeights::AkaikeWeights(const std::vector<Model>& models, qint64 sampleSize)
{
    for (const Model& model : models) {
        m_aicc.push_back(aicc(model.aic, model.numParameters, sampleSize));
        const int i = count() - 1;
        if (m_aicc.back() &&
            (m_best < 0 || *m_aicc.back() < *m_aicc[static_cast<std::size_t>(m_best)]))
            m_best = i;
    }
    m_weights.resize(m_aicc.size());
    if (m_best < 0)
        return;
    // Relative to the best model, so that no likelihood underflows.
    double total = 0.0;
    for (std::size_t i = 0; i < m_aicc.size(); ++i) {
        if (const auto delta = deltaAicc(static_cast<int>(i))) {
            m_weights[i] = std::exp(-*delta / 2.0);
            total += *m_weights[i];
        }
    }
    for (auto& weight : m_weights) {
        if (weight)
            *weight /= total;
    }
}

std::optional<double> AkaikeWeights::aicc(double aic, int numParameters, qint64 sampleSize)
{
    const double k = numParameters;
    const double room = static_cast<double>(sampleSize) - k - 1.0;
    if (room <= 0.0 || !std::isfinite(aic))
        return std::nullopt;
    return aic + 2.0 * k * (k + 1.0) / room;
}

std::optional<double> AkaikeWeights::deltaAicc(int i) const
{
    const auto value = aicc(i);
    if (!value || m_best < 0)
        return std::nullopt;
    return *value - *m_aicc[static_cast<std::size_t>(m_best)];
}

std::optional<double> AkaikeWeights::weight(int i) const
{
    return m_weights.at(static_cast<std::size_t>(i));
}

} // namespace rivulet
