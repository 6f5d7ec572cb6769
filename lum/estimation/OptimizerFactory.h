#pragma once

#include "lum/estimation/OptimizerI.h"

#include <QString>

#include <memory>

namespace lum {

// Makes the optimizer named by a settings text "id;name=value;...": id 1 Quasi-Newton,
// 2 Direction Set, 3 Simplex, anything else (0, or not a number) Fletch. Settings in the text
// are applied; the others keep their defaults.
std::unique_ptr<OptimizerI> createOptimizer(const QString& text);

} // namespace lum
