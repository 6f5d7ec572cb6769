#include "rivulet/results/LogitInterval.h"

#include "rivulet/results/CsvNumber.h"

#include <cmath>

namespace rivulet {

namespace {

double inverseLogit(double x)
{
    return 1.0 / (1.0 + std::exp(-x));
}

} // namespace

std::optional<LogitInterval> LogitInterval::of(double estimate, std::optional<double> standardError)
{
    if (!standardError || !std::isfinite(*standardError) || *standardError < 0.0 ||
        !std::isfinite(estimate) || estimate <= 0.0 || estimate >= 1.0)
        return std::nullopt;
    const double centre = std::log(estimate / (1.0 - estimate));
    const double halfWidth = Z95 * *standardError / (estimate * (1.0 - estimate));
    return LogitInterval(inverseLogit(centre - halfWidth), inverseLogit(centre + halfWidth));
}

QString LogitInterval::lowerText(const std::optional<LogitInterval>& interval)
{
    return interval ? csvNumber(interval->lower()) : QStringLiteral("NA");
}

QString LogitInterval::upperText(const std::optional<LogitInterval>& interval)
{
    return interval ? csvNumber(interval->upper()) : QStringLiteral("NA");
}

} // namespace rivulet
