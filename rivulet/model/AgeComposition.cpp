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
    : survival_(survival), yearCount_(years.count())
{
    const QList<int> ids = releases.ids();
    if (!ids.isEmpty())
        releaseYear_ = years.indexOf(releases.releaseYearId(ids.first()));
}

bool AgeComposition::hasCovariance() const
{
    return survival_.hasCovariance();
}

double AgeComposition::proportion(int s, int y) const
{
    const double total = survival_.survivalToSite(FirstRelease, s);
    if (total == 0.0)
        return NotAvailable;
    return survival_.survivalToSiteInYear(FirstRelease, s, y) / total;
}

double AgeComposition::variance(int s, int y) const
{
    if (!hasCovariance())
        return 0.0;
    const double total = survival_.survivalToSite(FirstRelease, s);
    if (total == 0.0)
        return NotAvailable;
    const double inYear = survival_.survivalToSiteInYear(FirstRelease, s, y);
    const double totalSquared = total * total;
    // Derivative of P(y) / T with respect to P(a): (T - P(y)) / T^2 for a = y, since T holds
    // P(y) too, and -P(y) / T^2 for every other year.
    const auto derivative = [&](int a) {
        return a == y ? (total - inYear) / totalSquared : -inYear / totalSquared;
    };
    double sum = 0.0;
    for (int a = releaseYear_; a >= 0 && a < yearCount_; ++a) {
        const double ga = derivative(a);
        for (int b = releaseYear_; b < yearCount_; ++b)
            sum += ga * derivative(b) * survival_.yearCovariance(FirstRelease, s, a, b);
    }
    return sum;
}

MeasureValue AgeComposition::measure(int s, int y) const
{
    return MeasureValue{proportion(s, y), variance(s, y), hasCovariance(),
                        survival_.isSurvivalFixed(FirstRelease, s)};
}

} // namespace rivulet
