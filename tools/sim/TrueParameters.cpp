#include "tools/sim/TrueParameters.h"

#include "tools/sim/RiverLayout.h"
#include "tools/sim/StudyDesign.h"

#include <algorithm>
#include <cmath>

namespace rivulet::sim {

namespace {
// Fixed patterns give every year and site its own value, the same for every
// seed, so that a study's truth depends on its design only.
double yearEffect(int y)
{
    static const double effects[] = {0.0, -0.04, 0.03, -0.02, 0.05, -0.03, 0.01, 0.04, -0.05, 0.02};
    return effects[y % 10];
}

double siteFactor(int k)
{
    static const double factors[] = {1.0, 0.85, 1.12, 0.9, 1.05, 0.8, 1.1, 0.95, 0.88, 1.08};
    return factors[k % 10];
}

double clamp(double v, double lo, double hi)
{
    return std::min(hi, std::max(lo, v));
}

constexpr double DamPassage = 0.97;    // survival through one dam
constexpr double TributaryRate = 0.88; // tributary survival per 100 km relative to the main stem
constexpr double WinterSurvival = 0.7; // a held-over fish surviving a winter in fresh water
} // namespace

TrueParameters::TrueParameters(const StudyDesign& design, const RiverLayout& layout,
                               const QVector<SimRelease>& releases)
    : m_releases(releases.size()), m_sites(layout.siteCount()), m_years(design.years)
{
    m_phi.fill(0.0, m_releases * m_sites * m_years * m_years);
    m_capture.fill(0.0, m_releases * m_sites * m_years);
    m_lambda.fill(0.0, m_releases * m_years * m_years);
    m_removal.fill(0.0, m_sites * m_years);
    for (int r = 0; r < m_releases; ++r)
        fillRelease(r, releases.at(r), design, layout);
    fillRemovals(design, layout);
}

void TrueParameters::fillRelease(int r, const SimRelease& release, const StudyDesign& design,
                                 const RiverLayout& layout)
{
    const int first = layout.releaseSiteCount(); // the first detection site
    const int last = layout.finalPosition();
    const double tributary = design.survival * TributaryRate;
    auto distance = [&layout](int from, int to) {
        return (layout.site(to).distanceKm - layout.site(from).distanceKm) / 100.0;
    };
    for (int s = release.site + 1; s < last; ++s) {
        for (int y1 = 0; y1 < m_years; ++y1) {
            if (s < first) {
                setPhi(r, s, y1, y1, 1.0); // passing another release site
                continue;
            }
            const double effect = yearEffect(y1 + s);
            if (s == first) {
                // From the release to the trap: most of the hold-over happens here,
                // more of it the further up the fish were released.
                const double survival = clamp(
                    std::pow(tributary, distance(release.site, s)) * (1.0 + effect), 0.2, 0.98);
                const double share = design.firstReachHoldOver.value_or(design.holdOver);
                const double once = share * (0.8 + 0.2 * (release.site % 3));
                const double twice = share * 0.25;
                setPhi(r, s, y1, y1, survival * (1.0 - once - twice));
                if (y1 + 1 < m_years)
                    setPhi(r, s, y1, y1 + 1, survival * once * WinterSurvival);
                if (y1 + 2 < m_years)
                    setPhi(r, s, y1, y1 + 2, survival * twice * WinterSurvival * WinterSurvival);
            } else if (s == first + 1) {
                // Leaving the tributary (the trap lies 28 km above its mouth): a few
                // more fish stay another year.
                const double survival =
                    clamp(std::pow(tributary, 0.28) *
                              std::pow(design.survival, distance(s - 1, s) - 0.28) * DamPassage *
                              (1.0 + effect),
                          0.2, 0.98);
                const double stay = y1 + 1 < m_years ? design.holdOver * 0.4 : 0.0;
                setPhi(r, s, y1, y1, survival * (1.0 - stay));
                if (y1 + 1 < m_years)
                    setPhi(r, s, y1, y1 + 1, survival * stay * WinterSurvival);
            } else {
                setPhi(r, s, y1, y1,
                       clamp(std::pow(design.survival, distance(s - 1, s)) * DamPassage *
                                 (1.0 + 0.5 * effect),
                             0.2, 0.99));
            }
        }
        for (int y = 0; y < m_years; ++y) {
            double p = 0.0;
            if (s == first)
                p = design.detection * 0.65 * (1.0 + 2.0 * yearEffect(y));
            else if (s > first)
                p = design.detection * siteFactor(s - first - 1) * (1.0 + 2.0 * yearEffect(y + s));
            m_capture[(r * m_sites + s) * m_years + y] = s < first ? 0.0 : clamp(p, 0.05, 0.95);
        }
    }
    for (int y = 0; y < m_years; ++y) {
        const double reach = std::pow(design.survival, distance(last - 1, last));
        const double detected = design.finalDetection * (1.0 + 2.0 * yearEffect(y + 1));
        m_lambda[(r * m_years + y) * m_years + y] =
            clamp(reach * (1.0 + 0.5 * yearEffect(y)) * detected, 0.02, 0.95);
    }
}

void TrueParameters::fillRemovals(const StudyDesign& design, const RiverLayout& layout)
{
    static const double damShares[] = {1.0, 0.7, 0.45};
    int dam = 0;
    for (int s = 0; s < m_sites; ++s) {
        const SimSite& site = layout.site(s);
        const bool isDam = site.role == SimSite::Role::Dam;
        for (int y = 0; y < m_years; ++y) {
            double q = 0.0;
            if (site.role == SimSite::Role::Trap)
                q = 0.03;
            else if (isDam && site.canRemove)
                q = clamp(design.removal * damShares[dam % 3] * (1.0 + 2.0 * yearEffect(y + dam)),
                          0.0, 0.95);
            m_removal[s * m_years + y] = q;
        }
        dam += isDam ? 1 : 0;
    }
}

} // namespace rivulet::sim
