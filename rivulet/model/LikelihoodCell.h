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

    int release() const { return release_; }
    int releaseSite() const { return releaseSite_; }
    int releaseYear() const { return releaseYear_; }
    int site() const { return site_; }
    int year() const { return year_; }
    int siteCount() const { return siteCount_; }
    int yearCount() const { return yearCount_; }
    const CountMatrix& counts() const { return counts_; }
    int neverSeen() const { return neverSeen_; }
    // N: the fish of the group, never-seen ones included.
    std::int64_t fishCount() const { return fishCount_; }

    // The cell's multinomial log-probability. arrivals points at the arrival probabilities of
    // this cell's (a, b) laid out [site c][year d]; neverSeenAgain is χ of (a, b); parameters
    // holds the current parameter values addressed by the structure's cells.
    double logLikelihood(const double* arrivals, double neverSeenAgain,
                         const double* parameters) const;
    // The chances of the cell's outcomes from the same inputs: into next, laid out [site c]
    // [year d] as arrivals (0 where no detection can follow), the chance that a fish of the
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

    int release_;
    int releaseSite_;
    int releaseYear_;
    int site_;
    int year_;
    int siteCount_;
    int yearCount_;
    CountMatrix counts_;
    int neverSeen_;
    std::int64_t fishCount_ = 0;
    double logGammaFish_ = 0.0;      // ln Γ(N + 1)
    double logGammaNeverSeen_ = 0.0; // ln Γ(n₀ + 1)
    std::vector<Term> terms_;
    // The capture cell of every (s, y) below the cell, -1 at the final site.
    std::vector<int> captureOffsets_;
};

} // namespace rivulet
