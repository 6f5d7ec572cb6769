#pragma once

#include "lum/core/Expected.h"
#include "lum/estimation/OptimizerI.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace lum {

// Makes the optimizer named by a stored settings text "id;name=value;...": id 1 Quasi-Newton,
// 2 Direction Set, 3 Simplex, 4 Newton, anything else (0, or not a number) Fletch; the names of
// optimizerNames() are read as their ids. Settings in the text
// are applied; the others keep their defaults. Lenient, for texts this program stored itself;
// check what a person typed with parseOptimizer().
std::unique_ptr<OptimizerI> createOptimizer(const QString& text);

// The optimizer of a settings text a person typed: "NAME[;setting=value]...", NAME one of
// optimizerNames() (any case) or, as stored settings have it, the id 0 to 4. An input error
// saying what is wrong and what is expected for an unknown name or setting, a setting without
// a value, or a value that is not a positive number (a whole one for counts).
Expected<std::unique_ptr<OptimizerI>> parseOptimizer(const QString& text);
// "fletch", "quasi-newton", "powell", "simplex", "newton": the ids 0 to 4.
QStringList optimizerNames();

} // namespace lum
