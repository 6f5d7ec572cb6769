#include "rivulet/results/ModelAverage.h"

#include <QHash>

#include <cmath>

namespace rivulet {

std::vector<QuantityRow> ModelAverage::average(const std::vector<Model>& models)
{
    std::vector<QuantityRow> averaged;
    if (models.empty())
        return averaged;
    std::vector<QHash<QString, const QuantityRow*>> byKey(models.size());
    double totalWeight = 0.0;
    for (std::size_t m = 0; m < models.size(); ++m) {
        totalWeight += models[m].weight;
        for (const QuantityRow& row : models[m].rows)
            byKey[m].insert(row.key(), &row);
    }
    for (const QuantityRow& first : models.front().rows) {
        const QString key = first.key();
        std::vector<const QuantityRow*> rows;
        for (const auto& lookup : byKey) {
            const auto it = lookup.constFind(key);
            if (it == lookup.constEnd())
                break;
            rows.push_back(it.value());
        }
        if (rows.size() != models.size())
            continue;
        double mean = 0.0;
        for (std::size_t m = 0; m < rows.size(); ++m)
            mean += models[m].weight / totalWeight * rows[m]->estimate;
        double variance = 0.0;
        bool hasErrors = true;
        for (std::size_t m = 0; m < rows.size() && hasErrors; ++m) {
            const auto& se = rows[m]->standardError;
            hasErrors = se.has_value();
            if (hasErrors) {
                const double spread = rows[m]->estimate - mean;
                variance += models[m].weight / totalWeight * (*se * *se + spread * spread);
            }
        }
        QuantityRow row = first;
        row.estimate = mean;
        row.setStandardError(hasErrors ? std::optional<double>(std::sqrt(variance)) : std::nullopt);
        averaged.push_back(row);
    }
    return averaged;
}

} // namespace rivulet
