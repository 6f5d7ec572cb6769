#pragma once

#include "rivulet/counts/CountMatrix.h"

#include <cstdint>
#include <vector>

namespace rivulet {

class ParameterStructure;

// One multinomial of the likelihood: the fish of release r that were at site a in year b
// (released there, or detected there), with the counts of where they were detected next and
// the number never detected again.
//
// Everything that does not depend on the parameters (the log-gamma coefficient terms and the
// list of non-zero counts with the table addresses they read) is worked out once here, so an
// evaluation only takes logarithms of the probabilities it needs.
class LikelihoodCell
{
public:
    LikelihoodCell(const ParameterStructure& structure, int release, int site, int year,
                   const CountMatrix& counts, int neverSeen);

    int release() const { return m_release; }
    int releaseSite() const { return m_releaseSite; }
    int releaseYear() const { return m_releaseYear; }
    int site() const { return m_site; }
    int year() const { return m_year; }
    int siteCount() const { return m_siteCount; }
    int yearCount() const { return m_yearCount; }
    const CountMatrix& counts() const { return m_counts; }
    int neverSeen() const { return m_neverSeen; }
    // N: the fish of the group, never-seen ones included.
    std::int64_t fishCount() const { return m_fishCount; }

    // The cell's multinomial log-probability. arrivals points at the arrival probabilities of
    // this cell's (a, b) at the sites below a, laid out [site c - a - 1][year d]; neverSeenAgain
    // is χ of (a, b); parameters holds the current parameter values addressed by the
    // structure's cells.
    double logLikelihood(const double* arrivals, double neverSeenAgain,
                         const double* parameters) const;
    // The chances of the cell's outcomes from the same inputs: into next, laid out [site c]
    // [year d] over all sites (0 where no detection can follow), the chance that a fish of the
    // group is next detected at (c, d); the chance it is never detected again is
    // neverSeenAgain itself.
    void probabilities(const double* arrivals, const double* parameters,
                       std::vector<double>& next) const;
    // The derivatives of logLikelihood() by its inputs, added to arrivalAdjoints (laid out as
    // arrivals), neverSeenAdjoint and parameterAdjoints (addressed as parameters).
    void addAdjoints(const double* arrivals, double neverSeenAgain, const double* parameters,
                     double* arrivalAdjoints, double& neverSeenAdjoint,
                     double* parameterAdjoints) const;

private:
    // A next detection at (s, y) with a positive count n: P = arrivals[arrival], times the
    // capture probability parameters[captureCell] unless s is the final site.
    struct Term
    {
        int arrival = 0;
        int captureCell = -1;
        double count = 0.0;
        double logGammaCount = 0.0; // ln Γ(n + 1)
    };

    int m_release;
    int m_releaseSite;
    int m_releaseYear;
    int m_site;
    int m_year;
    int m_siteCount;
    int m_yearCount;
    CountMatrix m_counts;
    int m_neverSeen;
    std::int64_t m_fishCount = 0;
    double m_logGammaFish = 0.0;      // ln Γ(N + 1)
    double m_logGammaNeverSeen = 0.0; // ln Γ(n₀ + 1)
    std::vector<Term> m_terms;
    // The capture cell of every (s, y) below the cell, -1 at the final site.
    std::vector<int> m_captureOffsets;
};

} // namespace rivulet
