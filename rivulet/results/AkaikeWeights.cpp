#include "rivulet/results/AkaikeWeights.h"

#include <cmath>

namespace rivulet {

AkaikeWeights::AkaikeWeights(const std::vector<Model>& models, qint64 sampleSize)
{
    for (const Model& model : models) {
        aicc_.push_back(aicc(model.aic, model.numParameters, sampleSize));
        const int i = count() - 1;
        if (aicc_.back() && (best_ < 0 || *aicc_.back() < *aicc_[static_cast<std::size_t>(best_)]))
            best_ = i;
    }
    weights_.resize(aicc_.size());
    if (best_ < 0)
        return;
    // Relative to the best model, so that no likelihood underflows.
    double total = 0.0;
    for (std::size_t i = 0; i < aicc_.size(); ++i) {
        if (const auto delta = deltaAicc(static_cast<int>(i))) {
            weights_[i] = std::exp(-*delta / 2.0);
            total += *weights_[i];
        }
    }
    for (auto& weight : weights_) {
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
    if (!value || best_ < 0)
        return std::nullopt;
    return *value - *aicc_[static_cast<std::size_t>(best_)];
}

std::optional<double> AkaikeWeights::weight(int i) const
{
    return weights_.at(static_cast<std::size_t>(i));
}

} // namespace rivulet
