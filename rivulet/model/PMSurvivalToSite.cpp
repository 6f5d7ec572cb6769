#include "rivulet/model/PMSurvivalToSite.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ParameterMap.h"

namespace rivulet {

PMSurvivalToSite::PMSurvivalToSite(const ReleasesControllerI& releases,
                                   const SitesControllerI& sites, const YearsControllerI& years,
                                   const ParameterMap& parameters, const CovarianceMap& covariances)
    : m_parameters(parameters), m_covariances(covariances), m_releaseCount(releases.count()),
      m_siteCount(sites.count()), m_yearCount(years.count())
{
    const QList<int> ids = releases.ids();
    m_releaseCount = ids.size();
    for (int id : ids) {
        m_relSites.push_back(sites.indexOf(releases.releaseSiteId(id)));
        m_relYears.push_back(years.indexOf(releases.releaseYearId(id)));
    }
    const auto cells = static_cast<std::size_t>(m_releaseCount) * m_siteCount;
    m_survival.assign(cells, NotComputed);
    m_survivalVariance.assign(cells, NotComputed);
    m_survivalByYear.assign(cells * m_yearCount, NotComputed);
}

PMSurvivalToSite::~PMSurvivalToSite() = default;

int PMSurvivalToSite::relSite(int r) const
{
    return r >= 0 && r < m_releaseCount ? m_relSites[static_cast<std::size_t>(r)] : -1;
}

int PMSurvivalToSite::relYear(int r) const
{
    return r >= 0 && r < m_releaseCount ? m_relYears[static_cast<std::size_t>(r)] : -1;
}

bool PMSurvivalToSite::isEstimableSite(int r, int s) const
{
    const int site = relSite(r);
    return site >= 0 && relYear(r) >= 0 && s > site && s <= m_siteCount - 2;
}

std::size_t PMSurvivalToSite::siteCell(int r, int s) const
{
    return static_cast<std::size_t>(r) * m_siteCount + static_cast<std::size_t>(s);
}

bool PMSurvivalToSite::hasCovariance() const
{
    return m_covariances.hasCovariance();
}

double PMSurvivalToSite::survivalToSiteInYear(int r, int s, int y) const
{
    if (!isValidYear(y))
        return 0.0;
    if (s == relSite(r) && s >= 0 && relYear(r) >= 0)
        return y == relYear(r) ? 1.0 : 0.0;
    if (!isEstimableSite(r, s) || y < relYear(r))
        return 0.0;
    double& cached = m_survivalByYear[siteCell(r, s) * m_yearCount + static_cast<std::size_t>(y)];
    if (cached == NotComputed)
        cached = computeInYear(r, s, y);
    return cached;
}

double PMSurvivalToSite::computeInYear(int r, int s, int y) const
{
    const int firstYear = relYear(r);
    if (s == relSite(r) + 1)
        return m_parameters.phi(r, s, firstYear, y);
    double sum = 0.0;
    for (int y1 = firstYear; y1 <= y; ++y1)
        sum += m_parameters.phi(r, s, y1, y) * survivalToSiteInYear(r, s - 1, y1);
    return sum;
}

double PMSurvivalToSite::survivalToSite(int r, int s) const
{
    if (s == relSite(r) && s >= 0 && relYear(r) >= 0)
        return 1.0;
    if (!isEstimableSite(r, s))
        return 0.0;
    double& cached = m_survival[siteCell(r, s)];
    if (cached == NotComputed) {
        double sum = 0.0;
        for (int y = relYear(r); y < m_yearCount; ++y)
            sum += survivalToSiteInYear(r, s, y);
        cached = sum;
    }
    return cached;
}

double PMSurvivalToSite::yearCovariance(int r, int s, int y, int y2) const
{
    if (!hasCovariance() || !isEstimableSite(r, s) || !isValidYear(y) || !isValidYear(y2))
        return 0.0;
    return yearCovarianceMatrix(r, s)(y, y2);
}

double PMSurvivalToSite::survivalVariance(int r, int s) const
{
    if (!hasCovariance() || !isEstimableSite(r, s))
        return 0.0;
    double& cached = m_survivalVariance[siteCell(r, s)];
    if (cached == NotComputed) {
        // Var(sum of P(y)) is the sum of every element of V over the years from the release
        // year on; V is symmetric, so each pair off the diagonal counts twice.
        const lum::DenseMatrix& v = yearCovarianceMatrix(r, s);
        double sum = 0.0;
        for (int y = relYear(r); y < m_yearCount; ++y) {
            double offDiagonal = 0.0;
            for (int y2 = y + 1; y2 < m_yearCount; ++y2)
                offDiagonal += v(y, y2);
            sum += v(y, y) + 2.0 * offDiagonal;
        }
        cached = sum;
    }
    return cached;
}

bool PMSurvivalToSite::isSurvivalFixed(int r, int s) const
{
    if (!isEstimableSite(r, s))
        return false;
    for (int site = relSite(r) + 1; site <= s; ++site) {
        const int firstY1 = relYear(r);
        const int lastY1 = site == relSite(r) + 1 ? relYear(r) : m_yearCount - 1;
        for (int y1 = firstY1; y1 <= lastY1; ++y1)
            for (int y2 = y1; y2 < m_yearCount; ++y2)
                if (!m_parameters.isPhiFixed(r, site, y1, y2))
                    return false;
    }
    return true;
}

MeasureValue PMSurvivalToSite::survival(int r, int s) const
{
    return MeasureValue{survivalToSite(r, s), survivalVariance(r, s), hasCovariance(),
                        isSurvivalFixed(r, s)};
}

MeasureValue PMSurvivalToSite::overallCohortSurvival() const
{
    return survival(0, m_siteCount - 2);
}

const lum::DenseMatrix& PMSurvivalToSite::yearCovarianceMatrix(int r, int s) const
{
    const auto key = std::make_pair(r, s);
    auto it = m_yearCovariances.find(key);
    if (it == m_yearCovariances.end())
        it = m_yearCovariances.emplace(key, computeYearCovariance(r, s)).first;
    return it->second;
}

lum::DenseMatrix PMSurvivalToSite::computeYearCovariance(int r, int s) const
{
    const std::vector<PhiKey> keys = phiParametersUpTo(r, s);
    const lum::DenseMatrix g = survivalDerivatives(r, s, keys);
    const lum::DenseMatrix sigma = parameterCovariance(r, keys);
    const int k = static_cast<int>(keys.size());

    // V = G * Sigma * G^T, through H = G * Sigma.
    lum::DenseMatrix h(m_yearCount, k);
    for (int y = 0; y < m_yearCount; ++y) {
        for (int j = 0; j < k; ++j) {
            double sum = 0.0;
            for (int i = 0; i < k; ++i)
                sum += g(y, i) * sigma(i, j);
            h(y, j) = sum;
        }
    }
    lum::DenseMatrix v(m_yearCount, m_yearCount);
    for (int y = 0; y < m_yearCount; ++y) {
        for (int y2 = 0; y2 < m_yearCount; ++y2) {
            double sum = 0.0;
            for (int j = 0; j < k; ++j)
                sum += h(y, j) * g(y2, j);
            v(y, y2) = sum;
        }
    }
    return v;
}

std::vector<PMSurvivalToSite::PhiKey> PMSurvivalToSite::phiParametersUpTo(int r, int s) const
{
    // The index space of release r in numbering order: the first reach leaves the release
    // site in the release year only; every later reach may be entered in any year.
    const int firstSite = relSite(r) + 1;
    const int firstYear = relYear(r);
    std::vector<PhiKey> keys;
    for (int y2 = firstYear; y2 < m_yearCount; ++y2)
        keys.push_back(PhiKey{firstSite, firstYear, y2});
    for (int site = firstSite + 1; site <= s; ++site) {
        for (int y1 = firstYear; y1 < m_yearCount; ++y1) {
            for (int y2 = y1; y2 < m_yearCount; ++y2)
                keys.push_back(PhiKey{site, y1, y2});
        }
    }
    return keys;
}

lum::DenseMatrix PMSurvivalToSite::survivalDerivatives(int r, int s,
                                                       const std::vector<PhiKey>& keys) const
{
    // d[y][k] = dP(r, site, y) / dphi_k, carried down-river one site at a time.
    const int k = static_cast<int>(keys.size());
    const int firstSite = relSite(r) + 1;
    const int firstYear = relYear(r);
    lum::DenseMatrix current(m_yearCount, k);
    for (int j = 0; j < k; ++j) {
        const PhiKey& key = keys[static_cast<std::size_t>(j)];
        if (key.site == firstSite)
            current(key.y2, j) = 1.0;
    }
    lum::DenseMatrix previous(m_yearCount, k);
    for (int site = firstSite + 1; site <= s; ++site) {
        std::swap(previous, current);
        current.fill(0.0);
        for (int y = firstYear; y < m_yearCount; ++y) {
            for (int j = 0; j < k; ++j) {
                const PhiKey& key = keys[static_cast<std::size_t>(j)];
                if (key.site == site && key.y2 == y) {
                    current(y, j) = survivalToSiteInYear(r, site - 1, key.y1);
                } else if (key.site < site && key.y2 <= y) {
                    double sum = 0.0;
                    for (int y1 = firstYear; y1 <= y; ++y1)
                        sum += m_parameters.phi(r, site, y1, y) * previous(y1, j);
                    current(y, j) = sum;
                }
            }
        }
    }
    return current;
}

lum::DenseMatrix PMSurvivalToSite::parameterCovariance(int r, const std::vector<PhiKey>& keys) const
{
    const int k = static_cast<int>(keys.size());
    lum::DenseMatrix sigma(k, k);
    for (int i = 0; i < k; ++i) {
        const PhiKey& a = keys[static_cast<std::size_t>(i)];
        for (int j = 0; j < k; ++j) {
            const PhiKey& b = keys[static_cast<std::size_t>(j)];
            sigma(i, j) = m_covariances.phiCovariance(r, a.site, a.y1, a.y2, b.site, b.y1, b.y2);
        }
    }
    return sigma;
}

} // namespace rivulet
