#pragma once

#include <QString>

#include <optional>

namespace rivulet {

// The 95% confidence interval of a probability, found on the logit scale and mapped back so
// that it always lies inside [0, 1]: logit(θ) ± 1.96 · se / (θ(1 − θ)). There is none for an
// estimate at 0 or 1 (the logit is infinite there) or without a standard error.
class LogitInterval
{
public:
    static constexpr double Z95 = 1.96;

    static std::optional<LogitInterval> of(double estimate, std::optional<double> standardError);
    // An interval found otherwise (a profile likelihood's), kept in the same form.
    static LogitInterval between(double lower, double upper) { return {lower, upper}; }

    double lower() const { return m_lower; }
    double upper() const { return m_upper; }

    // The two bounds as CSV fields, "NA" when there is no interval.
    static QString lowerText(const std::optional<LogitInterval>& interval);
    static QString upperText(const std::optional<LogitInterval>& interval);

private:
    LogitInterval(double lower, double upper) : m_lower(lower), m_upper(upper) {}

    double m_lower = 0.0;
    double m_upper = 0.0;
};

} // namespace rivulet
