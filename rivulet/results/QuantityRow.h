#pragma once

#include "rivulet/results/LogitInterval.h"

#include <QString>

#include <optional>

namespace rivulet {

// One estimated quantity of a fitted model, named so that the same quantity of another model
// of the same data has the same names: a parameter (name phi, lambda or p) or a performance
// measure, the release (or the age class) it belongs to, the site and the years, and its
// estimate with its standard error (none without a covariance matrix).
struct QuantityRow
{
    QString kind;
    QString name;
    QString group;
    QString site;
    QString year1;
    QString year2;
    double estimate = 0.0;
    std::optional<double> standardError;
    // The 95% interval; none without a standard error or for an estimate at 0 or 1.
    std::optional<LogitInterval> interval;

    // The standard error of the estimate (set first) and the interval that follows from it.
    void setStandardError(std::optional<double> error)
    {
        standardError = error;
        interval = LogitInterval::of(estimate, error);
    }

    // What identifies the quantity across models.
    QString key() const
    {
        return kind + QLatin1Char('\x1f') + name + QLatin1Char('\x1f') + group +
               QLatin1Char('\x1f') + site + QLatin1Char('\x1f') + year1 + QLatin1Char('\x1f') +
               year2;
    }
};

} // namespace rivulet
