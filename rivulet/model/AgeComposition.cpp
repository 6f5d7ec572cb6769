#include "rivulet/model/AgeComposition.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/PMSurvivalToSite.h"

#include <limits>

namespace rivulet {

namespace {
constexpr double NotAvailable = std::numeric_limits<double>::quiet_NaN();
constexpr int FirstRelease = 0;
} // namespace

AgeComposition::AgeComposition(const ReleasesControllerI& releases, const YearsControllerI& years,
                               const PMSurvivalToSite& survival)
    : m_survival(survival), m_yearCount(years.count())
{
    const QList<int> ids = releases.ids();
    if (!ids.isEmpty())
        m_releaseYear = years.indexOf(releases.releaseYearId(ids.first()));
}

bool AgeComposition::hasCovariance() const
{
    return m_survival.hasCovariance();
}

double AgeComposition::proportion(int s, int y) const
{
    const double total = m_survival.survivalToSite(FirstRelease, s);
    if (total == 0.0)
        return NotAvailable;
    return m_survival.survivalToSiteInYear(FirstRelease, s, y) / total;
}

double AgeComposition::variance(int s, int y) const
{
    if (!hasCovariance())
        return 0.0;
    const double total = m_survival.survivalToSite(FirstRelease, s);
    if (total == 0.0)
        return NotAvailable;
    const double inYear = m_survival.survivalToSiteInYear(FirstRelease, s, y);
    const double totalSquared = total * total;
    // Derivative of P(y) / T with respect to P(a): (T - P(y)) / T^2 for a = y, since T holds
    // P(y) too, and -P(y) / T^2 for every other year.
    const auto derivative = [&](int a) {
        return a == y ? (total - inYear) / totalSquared : -inYear / totalSquared;
    };
    double sum = 0.0;
    for (int a = m_releaseYear; a >= 0 && a < m_yearCount; ++a) {
        const double ga = derivative(a);
        for (int b = m_releaseYear; b < m_yearCount; ++b)
            sum += ga * derivative(b) * m_survival.yearCovariance(FirstRelease, s, a, b);
    }
    return sum;
}

MeasureValue AgeComposition::measure(int s, int y) const
{
    return MeasureValue{proportion(s, y), variance(s, y), hasCovariance(),
                        m_survival.isSurvivalFixed(FirstRelease, s)};
}

} // namespace rivulet
