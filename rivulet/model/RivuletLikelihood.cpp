#include "rivulet/model/RivuletLikelihood.h"

#include "lum/thread/WorkerPool.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/ParameterStructure.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace rivulet {

namespace {

// Runs both; with a pool, the second may run on one of its workers. What either throws is
// thrown again once both have ended, the first's before the second's.
template <typename First, typename Second>
void runBoth(lum::WorkerPool* pool, First first, Second second)
{
    if (!pool) {
        first();
        second();
        return;
    }
    pool->parallelFor(2, [&](std::size_t half) {
        if (half == 0) {
            first();
        } else {
            second();
        }
    });
}

std::vector<int> toVector(const QList<int>& list)
{
    return std::vector<int>(list.begin(), list.end());
}

} // namespace

RivuletLikelihood::RivuletLikelihood(const ParameterStructure& structure,
                                     const NextDetectionsI& counts,
                                     const ReleasesControllerI& releases,
                                     const SitesControllerI& sites, const YearsControllerI& years)
    : structure_(structure), releaseCount_(releases.count()), siteCount_(sites.count()),
      yearCount_(years.count()), releaseIds_(toVector(releases.ids())),
      siteIds_(toVector(sites.ids())), yearIds_(toVector(years.ids()))
{
    if (structure.releaseCount() != releaseCount_ || structure.siteCount() != siteCount_ ||
        structure.yearCount() != yearCount_) {
        throw std::invalid_argument(
            "the parameter structure was built for other releases, sites or years");
    }
    const int S = siteCount_;
    const int Y = yearCount_;
    const int R = releaseCount_;
    const auto rows = static_cast<std::size_t>(R) * static_cast<std::size_t>(std::max(S - 1, 0)) *
                      static_cast<std::size_t>(Y);
    arrivals_.assign(rows * static_cast<std::size_t>(S) * static_cast<std::size_t>(Y), -2.0);
    neverSeen_.assign(static_cast<std::size_t>(R) * static_cast<std::size_t>(S) *
                          static_cast<std::size_t>(Y),
                      0.0);
    parameters_.assign(static_cast<std::size_t>(structure.cellCount()), 0.0);
    passWeights_.assign(static_cast<std::size_t>(R) * static_cast<std::size_t>(Y), 0.0);
    buildCells(counts);
    buildParameterLists();
    allocateAdjoints();
}

RivuletLikelihood::~RivuletLikelihood() = default;

void RivuletLikelihood::buildCells(const NextDetectionsI& counts)
{
    firstCell_.assign(static_cast<std::size_t>(releaseCount_) + 1, 0);
    for (int r = 0; r < releaseCount_; ++r) {
        firstCell_[static_cast<std::size_t>(r)] = static_cast<int>(cells_.size());
        if (!structure_.isModelled(r)) {
            continue;
        }
        const ReleaseId release{releaseIds_[static_cast<std::size_t>(r)]};
        const int a0 = structure_.relSite(r);
        const int b0 = structure_.relYear(r);
        cells_.emplace_back(structure_, r, a0, b0, counts.releaseNextCounts(release),
                            counts.releaseNotSeen(release));
        for (int s = a0 + 1; s <= siteCount_ - 2; ++s) {
            for (int y = b0; y < yearCount_; ++y) {
                cells_.emplace_back(structure_, r, s, y, counts.nextCounts(release, s, y),
                                    counts.notSeenAgain(release, s, y));
            }
        }
    }
    firstCell_[static_cast<std::size_t>(releaseCount_)] = static_cast<int>(cells_.size());
}

void RivuletLikelihood::buildParameterLists()
{
    const std::vector<ParameterEntry>& entries = structure_.entries();
    std::vector<std::vector<int>> cellsOfRelease(static_cast<std::size_t>(releaseCount_));
    termsOfParameter_.assign(static_cast<std::size_t>(structure_.numFree()), {});
    for (int k = 0; k < static_cast<int>(entries.size()); ++k) {
        const ParameterEntry& entry = entries[static_cast<std::size_t>(k)];
        cellsOfRelease[static_cast<std::size_t>(entry.release)].push_back(entry.cell);
        const int index = structure_.entryIndex(k);
        if (index >= 0) {
            termsOfParameter_[static_cast<std::size_t>(index)].push_back(entry.release);
        }
    }
    for (std::vector<int>& terms : termsOfParameter_) {
        std::sort(terms.begin(), terms.end());
        terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
    }
    firstParameterCell_.assign(static_cast<std::size_t>(releaseCount_) + 1, 0);
    firstFreeCell_.assign(static_cast<std::size_t>(releaseCount_) + 1, 0);
    indexLimit_.assign(static_cast<std::size_t>(releaseCount_), 0);
    for (int r = 0; r < releaseCount_; ++r) {
        firstParameterCell_[static_cast<std::size_t>(r)] = static_cast<int>(parameterCells_.size());
        firstFreeCell_[static_cast<std::size_t>(r)] = static_cast<int>(freeCells_.size());
        const std::vector<int>& cells = cellsOfRelease[static_cast<std::size_t>(r)];
        parameterCells_.insert(parameterCells_.end(), cells.begin(), cells.end());
        // The structure does not change while the likelihood lives: where each value comes
        // from is looked up once.
        for (const int cell : cells) {
            const int index = structure_.indexOfCell(cell);
            if (index < 0) {
                parameters_[static_cast<std::size_t>(cell)] = structure_.fixedValueOfCell(cell);
            } else {
                freeCells_.push_back({cell, index});
                int& limit = indexLimit_[static_cast<std::size_t>(r)];
                limit = std::max(limit, index + 1);
            }
        }
    }
    firstParameterCell_[static_cast<std::size_t>(releaseCount_)] =
        static_cast<int>(parameterCells_.size());
    firstFreeCell_[static_cast<std::size_t>(releaseCount_)] = static_cast<int>(freeCells_.size());
    filledLikelihood_.assign(static_cast<std::size_t>(releaseCount_), 0.0);
    filled_.assign(static_cast<std::size_t>(releaseCount_), 0);
    allTerms_.resize(static_cast<std::size_t>(releaseCount_));
    for (int r = 0; r < releaseCount_; ++r) {
        allTerms_[static_cast<std::size_t>(r)] = r;
    }
}

double RivuletLikelihood::operator()(const std::vector<double>& x)
{
    return termsValue(x, allTerms_);
}

int RivuletLikelihood::termCount() const
{
    return releaseCount_;
}

const std::vector<int>& RivuletLikelihood::termsOfParameter(int j) const
{
    static const std::vector<int> none;
    if (j < 0 || j >= static_cast<int>(termsOfParameter_.size())) {
        return none;
    }
    return termsOfParameter_[static_cast<std::size_t>(j)];
}

double RivuletLikelihood::termsValue(const std::vector<double>& x, const std::vector<int>& terms)
{
    checkTerms(terms);
    const int* const begin = terms.data();
    const int* const end = begin + terms.size();
    const std::size_t half = halfOf(terms);
    if (half == 0) {
        return finiteOrBad(sumOfReleases(x, begin, end));
    }
    double first = 0.0;
    double second = 0.0;
    runBoth(
        halvesPool_, [&] { first = sumOfReleases(x, begin, begin + half); },
        [&] { second = sumOfReleases(x, begin + half, end); });
    return finiteOrBad(first + second);
}

double RivuletLikelihood::sumOfReleases(const std::vector<double>& x, const int* first,
                                        const int* last)
{
    double sum = 0.0;
    for (; first != last; ++first) {
        sum += releaseLogLikelihood(*first, x);
    }
    return sum;
}

void RivuletLikelihood::checkTerms(const std::vector<int>& terms) const
{
    for (const int r : terms) {
        if (r < 0 || r >= releaseCount_) {
            throw std::out_of_range("likelihood term out of range");
        }
    }
}

std::size_t RivuletLikelihood::halfOf(const std::vector<int>& terms) const
{
    constexpr std::size_t SHORTEST_HALVED = 16;
    if (terms.size() < SHORTEST_HALVED) {
        return 0;
    }
    const auto cellsOf = [this](int r) {
        return static_cast<long long>(firstCell_[static_cast<std::size_t>(r) + 1] -
                                      firstCell_[static_cast<std::size_t>(r)]);
    };
    long long total = 0;
    for (const int r : terms) {
        total += cellsOf(r);
    }
    long long sum = 0;
    std::size_t half = 0;
    while (half + 1 < terms.size() && 2 * sum < total) {
        sum += cellsOf(terms[half]);
        ++half;
    }
    return std::max<std::size_t>(half, 1);
}

void RivuletLikelihood::termValues(const std::vector<double>& x, std::vector<double>& values)
{
    values.resize(static_cast<std::size_t>(releaseCount_));
    for (int r = 0; r < releaseCount_; ++r) {
        values[static_cast<std::size_t>(r)] = finiteOrBad(releaseLogLikelihood(r, x));
    }
}

double RivuletLikelihood::finiteOrBad(double logLikelihood)
{
    return std::isfinite(logLikelihood) ? -logLikelihood : BadValue;
}

double RivuletLikelihood::releaseLogLikelihood(int r, const std::vector<double>& x)
{
    const int first = firstCell_[static_cast<std::size_t>(r)];
    const int last = firstCell_[static_cast<std::size_t>(r) + 1];
    if (first == last) {
        return 0.0;
    }
    if (!resolveParameters(r, x) && filled_[static_cast<std::size_t>(r)] != 0) {
        return filledLikelihood_[static_cast<std::size_t>(r)];
    }
    fillArrivals(r);
    fillNeverSeen(r);
    double sum = 0.0;
    for (int k = first; k < last; ++k) {
        const LikelihoodCell& cell = cells_[static_cast<std::size_t>(k)];
        const int a = cell.site();
        const int b = cell.year();
        sum += cell.logLikelihood(&arrivals_[arrivalOffset(r, a, b)],
                                  neverSeen_[neverSeenOffset(r, a, b)], parameters_.data());
    }
    filledLikelihood_[static_cast<std::size_t>(r)] = sum;
    filled_[static_cast<std::size_t>(r)] = 1;
    return sum;
}

bool RivuletLikelihood::resolveParameters(int r, const std::vector<double>& x)
{
    if (static_cast<std::size_t>(indexLimit_[static_cast<std::size_t>(r)]) > x.size()) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    const FreeCell* cell = freeCells_.data() + firstFreeCell_[static_cast<std::size_t>(r)];
    const FreeCell* const end = freeCells_.data() + firstFreeCell_[static_cast<std::size_t>(r) + 1];
    double* const parameters = parameters_.data();
    const double* const values = x.data();
    bool changed = false;
    for (; cell != end; ++cell) {
        double& parameter = parameters[cell->cell];
        changed = changed || std::memcmp(&parameter, &values[cell->index], sizeof(double)) != 0;
        parameter = values[cell->index];
    }
    return changed;
}

double RivuletLikelihood::phi(int r, int s, int y1, int y2) const
{
    return parameters_[static_cast<std::size_t>(structure_.phiOffset(r, s, y1, y2))];
}

double RivuletLikelihood::lambda(int r, int y1, int y2) const
{
    return parameters_[static_cast<std::size_t>(structure_.lambdaOffset(r, y1, y2))];
}

double RivuletLikelihood::capture(int r, int s, int y) const
{
    return parameters_[static_cast<std::size_t>(structure_.captureOffset(r, s, y))];
}

void RivuletLikelihood::fillArrivals(int r)
{
    // Rows further down the river first: every row sums over the row of the next site.
    const int a0 = structure_.relSite(r);
    const int b0 = structure_.relYear(r);
    for (int a = siteCount_ - 2; a > a0; --a) {
        for (int b = yearCount_ - 1; b >= b0; --b) {
            fillArrivalRow(r, a, b);
        }
    }
    fillArrivalRow(r, a0, b0);
}

void RivuletLikelihood::fillArrivalRow(int r, int a, int b)
{
    const int S = siteCount_;
    const int Y = yearCount_;
    double* row = &arrivals_[arrivalOffset(r, a, b)];
    if (a == S - 2) {
        for (int d = b; d < Y; ++d) {
            row[(S - 1) * Y + d] = lambda(r, b, d);
        }
        return;
    }
    const int next = a + 1;
    for (int d = b; d < Y; ++d) {
        row[next * Y + d] = phi(r, next, b, d);
    }
    // Surviving to the next site in year y and passing it undetected.
    double* passWeights = &passWeights_[static_cast<std::size_t>(r) * static_cast<std::size_t>(Y)];
    for (int y = b; y < Y; ++y) {
        passWeights[y] = phi(r, next, b, y) * (1 - capture(r, next, y));
    }
    const double* below = &arrivals_[arrivalOffset(r, next, 0)];
    const int yearStride = S * Y;
    for (int c = a + 2; c < S; ++c) {
        for (int d = b; d < Y; ++d) {
            double sum = 0.0;
            for (int y = b; y <= d; ++y) {
                sum += passWeights[y] * below[y * yearStride + c * Y + d];
            }
            row[c * Y + d] = sum;
        }
    }
}

double RivuletLikelihood::neverSeenFrom(int r, int a, int b) const
{
    const int next = a + 1;
    double sum = 0.0;
    for (int d = b; d < yearCount_; ++d) {
        sum += phi(r, next, b, d) *
               (1 - (1 - capture(r, next, d)) * neverSeen_[neverSeenOffset(r, next, d)]);
    }
    return 1 - sum;
}

void RivuletLikelihood::fillNeverSeen(int r)
{
    const int S = siteCount_;
    const int Y = yearCount_;
    const int a0 = structure_.relSite(r);
    const int b0 = structure_.relYear(r);
    const int lastYear = a0 < S - 2 ? Y - 1 : b0;
    for (int b = b0; b <= lastYear; ++b) {
        double sum = 0.0;
        for (int d = b; d < Y; ++d) {
            sum += lambda(r, b, d);
        }
        neverSeen_[neverSeenOffset(r, S - 2, b)] = 1 - sum;
    }
    for (int a = S - 3; a > a0; --a) {
        for (int b = b0; b < Y; ++b) {
            neverSeen_[neverSeenOffset(r, a, b)] = neverSeenFrom(r, a, b);
        }
    }
    if (a0 < S - 2) {
        neverSeen_[neverSeenOffset(r, a0, b0)] = neverSeenFrom(r, a0, b0);
    }
}

void RivuletLikelihood::cellProbabilities(const std::vector<double>& x,
                                          std::vector<std::vector<double>>& next,
                                          std::vector<double>& neverSeen)
{
    // Every release's tables at x, whether or not they were filled before.
    std::fill(filled_.begin(), filled_.end(), 0);
    for (int r = 0; r < releaseCount_; ++r)
        releaseLogLikelihood(r, x);
    next.resize(cells_.size());
    neverSeen.resize(cells_.size());
    for (std::size_t k = 0; k < cells_.size(); ++k) {
        const LikelihoodCell& cell = cells_[k];
        const int r = cell.release();
        const int a = cell.site();
        const int b = cell.year();
        cell.probabilities(&arrivals_[arrivalOffset(r, a, b)], parameters_.data(), next[k]);
        neverSeen[k] = neverSeen_[neverSeenOffset(r, a, b)];
    }
}

double RivuletLikelihood::arrival(int r, int a, int b, int c, int d) const
{
    return arrivals_.at(arrivalOffset(r, a, b) + static_cast<std::size_t>(c * yearCount_ + d));
}

double RivuletLikelihood::neverSeenAgain(int r, int a, int b) const
{
    return neverSeen_.at(neverSeenOffset(r, a, b));
}

inline double& RivuletLikelihood::phiAdjoint(int r, int s, int y1, int y2)
{
    return parameterAdjoints_[static_cast<std::size_t>(structure_.phiOffset(r, s, y1, y2))];
}

inline double& RivuletLikelihood::lambdaAdjoint(int r, int y1, int y2)
{
    return parameterAdjoints_[static_cast<std::size_t>(structure_.lambdaOffset(r, y1, y2))];
}

inline double& RivuletLikelihood::captureAdjoint(int r, int s, int y)
{
    return parameterAdjoints_[static_cast<std::size_t>(structure_.captureOffset(r, s, y))];
}

void RivuletLikelihood::setExactGradient(bool exact)
{
    exactGradient_ = exact;
    allocateAdjoints();
}

void RivuletLikelihood::allocateAdjoints()
{
    if (exactGradient_) {
        arrivalAdjoints_.assign(arrivals_.size(), 0.0);
        neverSeenAdjoints_.assign(neverSeen_.size(), 0.0);
        parameterAdjoints_.assign(parameters_.size(), 0.0);
    } else {
        std::vector<double>().swap(arrivalAdjoints_);
        std::vector<double>().swap(neverSeenAdjoints_);
        std::vector<double>().swap(parameterAdjoints_);
    }
}

void RivuletLikelihood::addTermsGradient(const std::vector<double>& x,
                                         const std::vector<int>& terms, std::vector<double>& g)
{
    if (!exactGradient_) {
        throw std::logic_error("the exact gradient of the likelihood is switched off");
    }
    checkTerms(terms);
    const int* const begin = terms.data();
    const int* const end = begin + terms.size();
    const std::size_t half = halfOf(terms);
    if (half == 0) {
        addReleasesGradient(x, begin, end, g);
        return;
    }
    // The second half adds into a gradient of its own, added to g at the end, whether it ran
    // on another thread or not: the sums come out the same either way.
    static thread_local std::vector<double> ownGradient;
    std::vector<double>& second = ownGradient; // the caller's, also on the other thread
    second.assign(g.size(), 0.0);
    runBoth(
        halvesPool_, [&] { addReleasesGradient(x, begin, begin + half, g); },
        [&] { addReleasesGradient(x, begin + half, end, second); });
    for (std::size_t i = 0; i < g.size(); ++i) {
        g[i] += second[i];
    }
}

void RivuletLikelihood::addReleasesGradient(const std::vector<double>& x, const int* first,
                                            const int* last, std::vector<double>& g)
{
    for (; first != last; ++first) {
        addReleaseGradient(*first, x, g);
    }
}

// Reverse mode: the forward pass leaves A, χ and the parameters of the release in the tables;
// the cells seed the derivatives of their inputs, and the recursions are walked backwards,
// each table entry passing its derivative on to the entries and parameters it was made of.
void RivuletLikelihood::addReleaseGradient(int r, const std::vector<double>& x,
                                           std::vector<double>& g)
{
    const int first = firstCell_[static_cast<std::size_t>(r)];
    const int last = firstCell_[static_cast<std::size_t>(r) + 1];
    if (first == last || !std::isfinite(releaseLogLikelihood(r, x))) {
        return;
    }
    // Only the rows the backward pass reads are cleared, and of each only the sites below the
    // row's own: clearing the whole table of every release cost more than the recursions.
    const int S = siteCount_;
    const int Y = yearCount_;
    for (int a = structure_.relSite(r); a <= S - 2; ++a) {
        for (int b = structure_.relYear(r); b < Y; ++b) {
            const std::size_t from = arrivalOffset(r, a, b) + static_cast<std::size_t>((a + 1) * Y);
            std::fill_n(arrivalAdjoints_.begin() + static_cast<std::ptrdiff_t>(from),
                        static_cast<std::size_t>((S - 1 - a) * Y), 0.0);
        }
    }
    std::fill_n(neverSeenAdjoints_.begin() + static_cast<std::ptrdiff_t>(neverSeenOffset(r, 0, 0)),
                static_cast<std::size_t>(siteCount_ * yearCount_), 0.0);
    const int firstParameter = firstParameterCell_[static_cast<std::size_t>(r)];
    const int lastParameter = firstParameterCell_[static_cast<std::size_t>(r) + 1];
    for (int k = firstParameter; k < lastParameter; ++k) {
        parameterAdjoints_[static_cast<std::size_t>(parameterCells_[static_cast<std::size_t>(k)])] =
            0.0;
    }

    for (int k = first; k < last; ++k) {
        const LikelihoodCell& cell = cells_[static_cast<std::size_t>(k)];
        const std::size_t arrivalAt = arrivalOffset(r, cell.site(), cell.year());
        const std::size_t neverSeenAt = neverSeenOffset(r, cell.site(), cell.year());
        cell.addAdjoints(&arrivals_[arrivalAt], neverSeen_[neverSeenAt], parameters_.data(),
                         &arrivalAdjoints_[arrivalAt], neverSeenAdjoints_[neverSeenAt],
                         parameterAdjoints_.data());
    }
    neverSeenAdjoints(r);
    arrivalAdjoints(r);

    // The function is minus the log-likelihood.
    const FreeCell* cell = freeCells_.data() + firstFreeCell_[static_cast<std::size_t>(r)];
    const FreeCell* const end = freeCells_.data() + firstFreeCell_[static_cast<std::size_t>(r) + 1];
    for (; cell != end; ++cell) {
        g[static_cast<std::size_t>(cell->index)] -=
            parameterAdjoints_[static_cast<std::size_t>(cell->cell)];
    }
}

// fillNeverSeen() backwards: the release row first, then down the river.
void RivuletLikelihood::neverSeenAdjoints(int r)
{
    const int S = siteCount_;
    const int Y = yearCount_;
    const int a0 = structure_.relSite(r);
    const int b0 = structure_.relYear(r);
    if (a0 < S - 2) {
        neverSeenFromAdjoint(r, a0, b0);
    }
    for (int a = a0 + 1; a <= S - 3; ++a) {
        for (int b = b0; b < Y; ++b) {
            neverSeenFromAdjoint(r, a, b);
        }
    }
    const int lastYear = a0 < S - 2 ? Y - 1 : b0;
    for (int b = b0; b <= lastYear; ++b) {
        const double adjoint = neverSeenAdjoints_[neverSeenOffset(r, S - 2, b)];
        for (int d = b; d < Y; ++d) {
            lambdaAdjoint(r, b, d) -= adjoint;
        }
    }
}

// χ(a, b) = 1 - Σ_d φ(a+1, b, d) (1 - (1 - p(a+1, d)) χ(a+1, d)).
void RivuletLikelihood::neverSeenFromAdjoint(int r, int a, int b)
{
    const double adjoint = neverSeenAdjoints_[neverSeenOffset(r, a, b)];
    if (adjoint == 0.0) {
        return;
    }
    const int next = a + 1;
    const double* below = &neverSeen_[neverSeenOffset(r, next, 0)];
    double* belowAdjoint = &neverSeenAdjoints_[neverSeenOffset(r, next, 0)];
    for (int d = b; d < yearCount_; ++d) {
        const double survival = phi(r, next, b, d);
        const double passed = 1 - capture(r, next, d);
        phiAdjoint(r, next, b, d) -= adjoint * (1 - passed * below[d]);
        captureAdjoint(r, next, d) -= adjoint * survival * below[d];
        belowAdjoint[d] += adjoint * survival * passed;
    }
}

// fillArrivals() backwards: the release row first, then the rows further down the river, each
// after every row that read it.
void RivuletLikelihood::arrivalAdjoints(int r)
{
    const int a0 = structure_.relSite(r);
    const int b0 = structure_.relYear(r);
    arrivalRowAdjoint(r, a0, b0);
    for (int a = a0 + 1; a <= siteCount_ - 2; ++a) {
        for (int b = b0; b < yearCount_; ++b) {
            arrivalRowAdjoint(r, a, b);
        }
    }
}

// A(a, b, a+1, d) = φ(a+1, b, d); A(a, b, c, d) = Σ_{y=b..d} w(y) A(a+1, y, c, d) for c > a+1,
// with w(y) = φ(a+1, b, y) (1 - p(a+1, y)); the final reach A(S-2, b, S-1, d) = λ(b, d).
void RivuletLikelihood::arrivalRowAdjoint(int r, int a, int b)
{
    const int S = siteCount_;
    const int Y = yearCount_;
    const double* rowAdjoint = &arrivalAdjoints_[arrivalOffset(r, a, b)];
    if (a == S - 2) {
        for (int d = b; d < Y; ++d) {
            lambdaAdjoint(r, b, d) += rowAdjoint[(S - 1) * Y + d];
        }
        return;
    }
    const int next = a + 1;
    for (int d = b; d < Y; ++d) {
        phiAdjoint(r, next, b, d) += rowAdjoint[next * Y + d];
    }
    for (int y = b; y < Y; ++y) {
        const double survival = phi(r, next, b, y);
        const double passed = 1 - capture(r, next, y);
        const double weight = survival * passed;
        const double* below = &arrivals_[arrivalOffset(r, next, y)];
        double* belowAdjoint = &arrivalAdjoints_[arrivalOffset(r, next, y)];
        double weightAdjoint = 0.0;
        for (int c = a + 2; c < S; ++c) {
            for (int d = y; d < Y; ++d) {
                const double adjoint = rowAdjoint[c * Y + d];
                weightAdjoint += adjoint * below[c * Y + d];
                belowAdjoint[c * Y + d] += weight * adjoint;
            }
        }
        phiAdjoint(r, next, b, y) += weightAdjoint * passed;
        captureAdjoint(r, next, y) -= weightAdjoint * survival;
    }
}

} // namespace rivulet
