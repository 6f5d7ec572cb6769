#include "tools/sim/FishPath.h"

#include "tools/sim/CivilTime.h"
#include "tools/sim/Random.h"
#include "tools/sim/RiverLayout.h"
#include "tools/sim/TrueParameters.h"

#include <algorithm>
#include <cmath>

namespace rivulet::sim {

namespace {
constexpr qint64 RuleMargin = 120; // seconds kept clear around a rule change
}

FishPath::FishPath(const RiverLayout& layout, const TrueParameters& truth, int firstYear)
    : m_layout(layout), m_truth(truth), m_firstYear(firstYear)
{
    m_passages.reserve(static_cast<size_t>(layout.siteCount()));
    m_choices.resize(static_cast<size_t>(truth.yearCount()));
}

void FishPath::simulate(int r, const SimRelease& release, qint64 releaseTime, Random& random,
                        double survivalShift, double detectionShift)
{
    m_passages.clear();
    m_speed = random.between(14.0, 32.0);
    const int last = m_layout.finalPosition();
    const int firstDetection = m_layout.releaseSiteCount();
    const int years = m_truth.yearCount();
    int site = release.site;
    int year = release.year;
    qint64 time = releaseTime;
    while (site < last) {
        const int count = years - year;
        for (int i = 0; i < count; ++i)
            m_choices[static_cast<size_t>(i)] = site == last - 1
                                                    ? m_truth.lambda(r, year, year + i)
                                                    : m_truth.phi(r, site + 1, year, year + i);
        if (survivalShift != 0.0)
            shiftSurvival(count, survivalShift);
        const int step = draw(m_choices.data(), count, random);
        if (step < 0)
            return; // died, or (from the last site above the final one) went undetected
        const int nextYear = year + step;
        time = arrival(site + 1, year, nextYear, time, random);
        ++site;
        year = nextYear;
        if (site < firstDetection)
            continue;
        Passage passage;
        passage.site = site;
        passage.year = year;
        passage.time = time;
        if (site == last) {
            passage.detected = true; // lambda includes the detection
            m_passages.push_back(passage);
            return;
        }
        double capture = m_truth.capture(r, site, year);
        if (detectionShift != 0.0 && capture > 0.0 && capture < 1.0)
            capture =
                1.0 / (1.0 + std::exp(-(std::log(capture / (1.0 - capture)) + detectionShift)));
        passage.detected = random.chance(capture);
        passage.removed = passage.detected && random.chance(m_truth.removal(site, year));
        m_passages.push_back(passage);
        if (passage.removed)
            return;
    }
}

void FishPath::shiftSurvival(int count, double shift)
{
    double total = 0.0;
    for (int i = 0; i < count; ++i)
        total += m_choices[static_cast<size_t>(i)];
    if (!(total > 0.0) || total >= 1.0)
        return;
    const double logit = std::log(total / (1.0 - total)) + shift;
    const double shifted = 1.0 / (1.0 + std::exp(-logit));
    for (int i = 0; i < count; ++i)
        m_choices[static_cast<size_t>(i)] *= shifted / total;
}

int FishPath::draw(const double* probabilities, int count, Random& random) const
{
    double u = random.uniform();
    for (int i = 0; i < count; ++i) {
        if (u < probabilities[i])
            return i;
        u -= probabilities[i];
    }
    return -1;
}

qint64 FishPath::arrival(int site, int fromYear, int year, qint64 previous, Random& random) const
{
    const double km = m_layout.site(site).distanceKm - m_layout.site(site - 1).distanceKm;
    const double days = km / m_speed + random.between(0.05, 0.6);
    const int calendar = m_firstYear + year;
    qint64 time = 0;
    if (year == fromYear) {
        time = previous + static_cast<qint64>(days * CivilTime::Day);
    } else {
        // A fish that held over moves on in the next spring.
        time = CivilTime::fromDate(calendar, 3, 20) +
               static_cast<qint64>((random.between(0.0, 25.0) + days) * CivilTime::Day);
    }
    const qint64 seasonEnd = CivilTime::fromDateTime(calendar, 8, 31, 12, 0, 0);
    time = std::max(std::min(time, seasonEnd), previous + 900);
    return clearOfRuleChanges(time);
}

qint64 FishPath::clearOfRuleChanges(qint64 time) const
{
    const QVector<qint64>& changes = m_layout.ruleBoundaries();
    for (;;) {
        auto it = std::lower_bound(changes.begin(), changes.end(), time - RuleMargin);
        if (it == changes.end() || *it > time + RuleMargin)
            return time;
        time = *it + RuleMargin + 60;
    }
}

} // namespace rivulet::sim
