#pragma once

#include <QString>

#include <cmath>
#include <optional>

namespace rivulet {

// A number of the result files: ten significant digits, "NA" for one that is missing or not
// finite (an undefined share), never "nan" or "inf".
inline QString csvNumber(double value)
{
    return std::isfinite(value) ? QString::number(value, 'g', 10) : QStringLiteral("NA");
}

inline QString csvNumber(const std::optional<double>& value)
{
    return value ? csvNumber(*value) : QStringLiteral("NA");
}

} // namespace rivulet
