#include "lum/estimation/OptimizerFactory.h"

#include "lum/estimation/DirectionSetOptimizer.h"
#include "lum/estimation/FletchOptimizer.h"
#include "lum/estimation/QuasiNewtonOptimizer.h"
#include "lum/estimation/SimplexOptimizer.h"

#include <QStringList>

namespace lum {

std::unique_ptr<OptimizerI> createOptimizer(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(';'));
    std::unique_ptr<OptimizerI> optimizer;
    switch (fields.front().trimmed().toInt()) {
    case 1:
        optimizer = std::make_unique<QuasiNewtonOptimizer>();
        break;
    case 2:
        optimizer = std::make_unique<DirectionSetOptimizer>();
        break;
    case 3:
        optimizer = std::make_unique<SimplexOptimizer>();
        break;
    default:
        optimizer = std::make_unique<FletchOptimizer>();
        break;
    }
    if (fields.size() > 1)
        optimizer->setSettingsString(text);
    return optimizer;
}

} // namespace lum
