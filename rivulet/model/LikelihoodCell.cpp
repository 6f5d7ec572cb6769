#include "rivulet/model/LikelihoodCell.h"

#include "lum/estimation/Gammln.h"
#include "rivulet/model/ParameterStructure.h"

#include <cmath>

namespace rivulet {

LikelihoodCell::LikelihoodCell(const ParameterStructure& structure, int release, int site, int year,
                               const CountMatrix& counts, int neverSeen)
    : m_release(release), m_releaseSite(structure.relSite(release)),
      m_releaseYear(structure.relYear(release)), m_site(site), m_year(year),
      m_siteCount(structure.siteCount()), m_yearCount(structure.yearCount()), m_counts(counts),
      m_neverSeen(neverSeen)
{
    const int finalSite = m_siteCount - 1;
    m_fishCount = m_neverSeen;
    m_captureOffsets.assign(
        static_cast<std::size_t>(m_siteCount) * static_cast<std::size_t>(m_yearCount), -1);
    for (int s = m_site + 1; s <= finalSite; ++s) {
        for (int y = m_year; y < m_yearCount; ++y) {
            if (s != finalSite)
                m_captureOffsets[static_cast<std::size_t>(s * m_yearCount + y)] =
                    structure.captureOffset(release, s, y);
            const std::int32_t n = m_counts.count(s, y);
            m_fishCount += n;
            if (n > 0) {
                Term term;
                term.arrival = (s - m_site - 1) * m_yearCount + y;
                term.captureCell = s == finalSite ? -1 : structure.captureOffset(release, s, y);
                term.count = static_cast<double>(n);
                term.logGammaCount = NR3::gammln(term.count + 1.0);
                m_terms.push_back(term);
            }
        }
    }
    m_logGammaFish = NR3::gammln(static_cast<double>(m_fishCount) + 1.0);
    m_logGammaNeverSeen = NR3::gammln(static_cast<double>(m_neverSeen) + 1.0);
}

double LikelihoodCell::logLikelihood(const double* arrivals, double neverSeenAgain,
                                     const double* parameters) const
{
    double sum = m_logGammaFish - m_logGammaNeverSeen;
    if (m_neverSeen >= 1) {
        sum += m_neverSeen * std::log(neverSeenAgain);
    }
    for (const Term& term : m_terms) {
        double probability = arrivals[term.arrival];
        if (term.captureCell >= 0) {
            probability *= parameters[term.captureCell];
        }
        sum += term.count * std::log(probability) - term.logGammaCount;
    }
    return sum;
}

void LikelihoodCell::probabilities(const double* arrivals, const double* parameters,
                                   std::vector<double>& next) const
{
    const int finalSite = m_siteCount - 1;
    next.assign(static_cast<std::size_t>(m_siteCount) * static_cast<std::size_t>(m_yearCount), 0.0);
    for (int s = m_site + 1; s <= finalSite; ++s) {
        for (int y = m_year; y < m_yearCount; ++y) {
            const int at = s * m_yearCount + y;
            double probability = arrivals[(s - m_site - 1) * m_yearCount + y];
            if (s != finalSite && parameters) {
                // The capture cell of every (s, y), detected or not.
                probability *= parameters[m_captureOffsets[static_cast<std::size_t>(at)]];
            }
            next[static_cast<std::size_t>(at)] = probability;
        }
    }
}

void LikelihoodCell::addAdjoints(const double* arrivals, double neverSeenAgain,
                                 const double* parameters, double* arrivalAdjoints,
                                 double& neverSeenAdjoint, double* parameterAdjoints) const
{
    if (m_neverSeen >= 1) {
        neverSeenAdjoint += m_neverSeen / neverSeenAgain;
    }
    // n ln(A p) = n ln A + n ln p.
    for (const Term& term : m_terms) {
        arrivalAdjoints[term.arrival] += term.count / arrivals[term.arrival];
        if (term.captureCell >= 0) {
            parameterAdjoints[term.captureCell] += term.count / parameters[term.captureCell];
        }
    }
}

} // namespace rivulet
