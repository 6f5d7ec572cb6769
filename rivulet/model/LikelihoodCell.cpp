#include "rivulet/model/LikelihoodCell.h"

#include "lum/estimation/Gammln.h"
#include "rivulet/model/ParameterStructure.h"

#include <cmath>

namespace rivulet {

LikelihoodCell::LikelihoodCell(const ParameterStructure& structure, int release, int site, int year,
                               const CountMatrix& counts, int neverSeen)
    : release_(release), releaseSite_(structure.relSite(release)),
      releaseYear_(structure.relYear(release)), site_(site), year_(year),
      siteCount_(structure.siteCount()), yearCount_(structure.yearCount()), counts_(counts),
      neverSeen_(neverSeen)
{
    const int finalSite = siteCount_ - 1;
    fishCount_ = neverSeen_;
    captureOffsets_.assign(
        static_cast<std::size_t>(siteCount_) * static_cast<std::size_t>(yearCount_), -1);
    for (int s = site_ + 1; s <= finalSite; ++s) {
        for (int y = year_; y < yearCount_; ++y) {
            if (s != finalSite)
                captureOffsets_[static_cast<std::size_t>(s * yearCount_ + y)] =
                    structure.captureOffset(release, s, y);
            const std::int32_t n = counts_.count(s, y);
            fishCount_ += n;
            if (n > 0) {
                Term term;
                term.arrival = s * yearCount_ + y;
                term.captureCell = s == finalSite ? -1 : structure.captureOffset(release, s, y);
                term.count = static_cast<double>(n);
                term.logGammaCount = NR3::gammln(term.count + 1.0);
                terms_.push_back(term);
            }
        }
    }
    logGammaFish_ = NR3::gammln(static_cast<double>(fishCount_) + 1.0);
    logGammaNeverSeen_ = NR3::gammln(static_cast<double>(neverSeen_) + 1.0);
}

double LikelihoodCell::logLikelihood(const double* arrivals, double neverSeenAgain,
                                     const double* parameters) const
{
    double sum = logGammaFish_ - logGammaNeverSeen_;
    if (neverSeen_ >= 1) {
        sum += neverSeen_ * std::log(neverSeenAgain);
    }
    for (const Term& term : terms_) {
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
    const int finalSite = siteCount_ - 1;
    next.assign(static_cast<std::size_t>(siteCount_) * static_cast<std::size_t>(yearCount_), 0.0);
    for (int s = site_ + 1; s <= finalSite; ++s) {
        for (int y = year_; y < yearCount_; ++y) {
            const int at = s * yearCount_ + y;
            double probability = arrivals[at];
            if (s != finalSite && parameters) {
                // The capture cell of every (s, y), detected or not.
                probability *= parameters[captureOffsets_[static_cast<std::size_t>(at)]];
            }
            next[static_cast<std::size_t>(at)] = probability;
        }
    }
}

void LikelihoodCell::addAdjoints(const double* arrivals, double neverSeenAgain,
                                 const double* parameters, double* arrivalAdjoints,
                                 double& neverSeenAdjoint, double* parameterAdjoints) const
{
    if (neverSeen_ >= 1) {
        neverSeenAdjoint += neverSeen_ / neverSeenAgain;
    }
    // n ln(A p) = n ln A + n ln p.
    for (const Term& term : terms_) {
        arrivalAdjoints[term.arrival] += term.count / arrivals[term.arrival];
        if (term.captureCell >= 0) {
            parameterAdjoints[term.captureCell] += term.count / parameters[term.captureCell];
        }
    }
}

} // namespace rivulet
