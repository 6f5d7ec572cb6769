#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

namespace rivulet {

// The small-sample comparison of a set of fitted models: each model's AICc = AIC + 2K(K + 1)
// / (n − K − 1), its difference to the lowest AICc, and its Akaike weight
// exp(−ΔAICc / 2) / Σ exp(−ΔAICc / 2) (Burnham and Anderson 2002). A model with n − K − 1 <= 0
// has no AICc; it gets no difference and no weight, and the weights of the others still add
// up to 1.
class AkaikeWeights
{
public:
    struct Model
    {
        double aic = 0.0;
        int numParameters = 0;
    };

    AkaikeWeights(const std::vector<Model>& models, qint64 sampleSize);

    static std::optional<double> aicc(double aic, int numParameters, qint64 sampleSize);

    int count() const { return static_cast<int>(m_aicc.size()); }
    std::optional<double> aicc(int i) const { return m_aicc.at(static_cast<std::size_t>(i)); }
    std::optional<double> deltaAicc(int i) const;
    std::optional<double> weight(int i) const;
    // The model with the lowest AICc (the first of equals); -1 when no model has one.
    int bestIndex() const { return m_best; }

private:
    std::vector<std::optional<double>> m_aicc;
    std::vector<std::optional<double>> m_weights;
    int m_best = -1;
};

} // namespace rivulet
