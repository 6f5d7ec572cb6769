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
    : m_structure(structure), m_releaseCount(releases.count()), m_siteCount(sites.count()),
      m_yearCount(years.count()), m_releaseIds(toVector(releases.ids())),
      m_siteIds(toVector(sites.ids())), m_yearIds(toVector(years.ids()))
{
    if (structure.releaseCount() != m_releaseCount || structure.siteCount() != m_siteCount ||
        structure.yearCount() != m_yearCount) {
        throw std::invalid_argument(
            "the parameter structure was built for other releases, sites or years");
    }
    const int S = m_siteCount;
    const int Y = m_yearCount;
    const int R = m_releaseCount;
    // A release's arrivals start at its own site: the sites above it are never its fish's.
    m_firstArrivalSite.assign(static_cast<std::size_t>(R), 0);
    m_arrivalBase.assign(static_cast<std::size_t>(R) + 1, 0);
    for (int r = 0; r < R; ++r) {
        const int first = structure.isModelled(r) ? structure.relSite(r) : std::max(S - 1, 0);
        m_firstArrivalSite[static_cast<std::size_t>(r)] = first;
        m_arrivalBase[static_cast<std::size_t>(r) + 1] =
            m_arrivalBase[static_cast<std::size_t>(r)] + rowOffset(std::max(S - 1, 0), 0) -
            rowOffset(first, 0);
    }
    m_arrivals.assign(m_arrivalBase.back(), 0.0);
    m_neverSeen.assign(static_cast<std::size_t>(R) * static_cast<std::size_t>(S) *
                           static_cast<std::size_t>(Y),
                       0.0);
    m_parameters.assign(static_cast<std::size_t>(structure.cellCount()), 0.0);
    m_passWeights.assign(static_cast<std::size_t>(R) * static_cast<std::size_t>(Y), 0.0);
    buildCells(counts);
    buildParameterLists();
    allocateAdjoints();
}

RivuletLikelihood::~RivuletLikelihood() = default;

void RivuletLikelihood::buildCells(const NextDetectionsI& counts)
{
    m_firstCell.assign(static_cast<std::size_t>(m_releaseCount) + 1, 0);
    for (int r = 0; r < m_releaseCount; ++r) {
        m_firstCell[static_cast<std::size_t>(r)] = static_cast<int>(m_cells.size());
        if (!m_structure.isModelled(r)) {
            continue;
        }
        const ReleaseId release{m_releaseIds[static_cast<std::size_t>(r)]};
        const int a0 = m_structure.relSite(r);
        const int b0 = m_structure.relYear(r);
        m_cells.emplace_back(m_structure, r, a0, b0, counts.releaseNextCounts(release),
                             counts.releaseNotSeen(release));
        for (int s = a0 + 1; s <= m_siteCount - 2; ++s) {
            for (int y = b0; y < m_yearCount; ++y) {
                m_cells.emplace_back(m_structure, r, s, y, counts.nextCounts(release, s, y),
                                     counts.notSeenAgain(release, s, y));
            }
        }
    }
    m_firstCell[static_cast<std::size_t>(m_releaseCount)] = static_cast<int>(m_cells.size());
}

void RivuletLikelihood::buildParameterLists()
{
    const std::vector<ParameterEntry>& entries = m_structure.entries();
    std::vector<std::vector<int>> cellsOfRelease(static_cast<std::size_t>(m_releaseCount));
    m_termsOfParameter.assign(static_cast<std::size_t>(m_structure.numFree()), {});
    for (int k = 0; k < static_cast<int>(entries.size()); ++k) {
        const ParameterEntry& entry = entries[static_cast<std::size_t>(k)];
        cellsOfRelease[static_cast<std::size_t>(entry.release)].push_back(entry.cell);
        const int index = m_structure.entryIndex(k);
        if (index >= 0) {
            m_termsOfParameter[static_cast<std::size_t>(index)].push_back(entry.release);
        }
    }
    for (std::vector<int>& terms : m_termsOfParameter) {
        std::sort(terms.begin(), terms.end());
        terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
    }
    m_firstParameterCell.assign(static_cast<std::size_t>(m_releaseCount) + 1, 0);
    m_firstFreeCell.assign(static_cast<std::size_t>(m_releaseCount) + 1, 0);
    m_indexLimit.assign(static_cast<std::size_t>(m_releaseCount), 0);
    for (int r = 0; r < m_releaseCount; ++r) {
        m_firstParameterCell[static_cast<std::size_t>(r)] =
            static_cast<int>(m_parameterCells.size());
        m_firstFreeCell[static_cast<std::size_t>(r)] = static_cast<int>(m_freeCells.size());
        const std::vector<int>& cells = cellsOfRelease[static_cast<std::size_t>(r)];
        m_parameterCells.insert(m_parameterCells.end(), cells.begin(), cells.end());
        // The structure does not change while the likelihood lives: where each value comes
        // from is looked up once.
        for (const int cell : cells) {
            const int index = m_structure.indexOfCell(cell);
            if (index < 0) {
                m_parameters[static_cast<std::size_t>(cell)] = m_structure.fixedValueOfCell(cell);
            } else {
                m_freeCells.push_back({cell, index});
                int& limit = m_indexLimit[static_cast<std::size_t>(r)];
                limit = std::max(limit, index + 1);
            }
        }
    }
    m_firstParameterCell[static_cast<std::size_t>(m_releaseCount)] =
        static_cast<int>(m_parameterCells.size());
    m_firstFreeCell[static_cast<std::size_t>(m_releaseCount)] =
        static_cast<int>(m_freeCells.size());
    m_filledLikelihood.assign(static_cast<std::size_t>(m_releaseCount), 0.0);
    m_filled.assign(static_cast<std::size_t>(m_releaseCount), 0);
    m_allTerms.resize(static_cast<std::size_t>(m_releaseCount));
    for (int r = 0; r < m_releaseCount; ++r) {
        m_allTerms[static_cast<std::size_t>(r)] = r;
    }
}

double RivuletLikelihood::operator()(const std::vector<double>& x)
{
    return termsValue(x, m_allTerms);
}

int RivuletLikelihood::termCount() const
{
    return m_releaseCount;
}

const std::vector<int>& RivuletLikelihood::termsOfParameter(int j) const
{
    static const std::vector<int> none;
    if (j < 0 || j >= static_cast<int>(m_termsOfParameter.size())) {
        return none;
    }
    return m_termsOfParameter[static_cast<std::size_t>(j)];
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
        m_halvesPool, [&] { first = sumOfReleases(x, begin, begin + half); },
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
        if (r < 0 || r >= m_releaseCount) {
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
        return static_cast<long long>(m_firstCell[static_cast<std::size_t>(r) + 1] -
                                      m_firstCell[static_cast<std::size_t>(r)]);
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
    values.resize(static_cast<std::size_t>(m_releaseCount));
    for (int r = 0; r < m_releaseCount; ++r) {
        values[static_cast<std::size_t>(r)] = finiteOrBad(releaseLogLikelihood(r, x));
    }
}

double RivuletLikelihood::finiteOrBad(double logLikelihood)
{
    return std::isfinite(logLikelihood) ? -logLikelihood : BadValue;
}

double RivuletLikelihood::releaseLogLikelihood(int r, const std::vector<double>& x)
{
    const int first = m_firstCell[static_cast<std::size_t>(r)];
    const int last = m_firstCell[static_cast<std::size_t>(r) + 1];
    if (first == last) {
        return 0.0;
    }
    if (!resolveParameters(r, x) && m_filled[static_cast<std::size_t>(r)] != 0) {
        return m_filledLikelihood[static_cast<std::size_t>(r)];
    }
    fillArrivals(r);
    fillNeverSeen(r);
    double sum = 0.0;
    for (int k = first; k < last; ++k) {
        const LikelihoodCell& cell = m_cells[static_cast<std::size_t>(k)];
        const int a = cell.site();
        const int b = cell.year();
        sum += cell.logLikelihood(&m_arrivals[arrivalOffset(r, a, b)],
                                  m_neverSeen[neverSeenOffset(r, a, b)], m_parameters.data());
    }
    m_filledLikelihood[static_cast<std::size_t>(r)] = sum;
    m_filled[static_cast<std::size_t>(r)] = 1;
    return sum;
}

bool RivuletLikelihood::resolveParameters(int r, const std::vector<double>& x)
{
    if (static_cast<std::size_t>(m_indexLimit[static_cast<std::size_t>(r)]) > x.size()) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    const FreeCell* cell = m_freeCells.data() + m_firstFreeCell[static_cast<std::size_t>(r)];
    const FreeCell* const end =
        m_freeCells.data() + m_firstFreeCell[static_cast<std::size_t>(r) + 1];
    double* const parameters = m_parameters.data();
    const double* const values = x.data();
    bool changed = false;
    for (; cell != end; ++cell) {
        double& parameter = parameters[cell->cell];
        changed = changed || std::memcmp(&parameter, &values[cell->index], sizeof(double)) != 0;
        parameter = values[cell->index];
    }
    return changed;
}

inline const double* RivuletLikelihood::phiRow(int r, int s, int y1) const
{
    return m_parameters.data() + m_structure.phiOffset(r, s, y1, 0);
}

inline const double* RivuletLikelihood::lambdaRow(int r, int y1) const
{
    return m_parameters.data() + m_structure.lambdaOffset(r, y1, 0);
}

inline const double* RivuletLikelihood::captureRow(int r, int s) const
{
    return m_parameters.data() + m_structure.captureOffset(r, s, 0);
}

inline double* RivuletLikelihood::phiAdjointRow(int r, int s, int y1)
{
    return m_parameterAdjoints.data() + m_structure.phiOffset(r, s, y1, 0);
}

inline double* RivuletLikelihood::lambdaAdjointRow(int r, int y1)
{
    return m_parameterAdjoints.data() + m_structure.lambdaOffset(r, y1, 0);
}

inline double* RivuletLikelihood::captureAdjointRow(int r, int s)
{
    return m_parameterAdjoints.data() + m_structure.captureOffset(r, s, 0);
}

void RivuletLikelihood::fillArrivals(int r)
{
    // Rows further down the river first: every row sums over the row of the next site.
    const int a0 = m_structure.relSite(r);
    const int b0 = m_structure.relYear(r);
    for (int a = m_siteCount - 2; a > a0; --a) {
        for (int b = m_yearCount - 1; b >= b0; --b) {
            fillArrivalRow(r, a, b);
        }
    }
    fillArrivalRow(r, a0, b0);
}

void RivuletLikelihood::fillArrivalRow(int r, int a, int b)
{
    const int S = m_siteCount;
    const int Y = m_yearCount;
    double* const row = &m_arrivals[arrivalOffset(r, a, b)];
    if (a == S - 2) {
        const double* const lambdas = lambdaRow(r, b);
        for (int d = b; d < Y; ++d) {
            row[d] = lambdas[d];
        }
        return;
    }
    const int next = a + 1;
    const double* const survival = phiRow(r, next, b);
    const double* const captures = captureRow(r, next);
    for (int d = b; d < Y; ++d) {
        row[d] = survival[d];
    }
    // Surviving to the next site in year y and passing it undetected.
    double* const weights =
        &m_passWeights[static_cast<std::size_t>(r) * static_cast<std::size_t>(Y)];
    bool finite = true;
    for (int y = b; y < Y; ++y) {
        weights[y] = survival[y] * (1 - captures[y]);
        finite = finite && std::isfinite(weights[y]);
    }
    // A(a, b, c, d) = Σ_{y=b..d} w(y) A(a+1, y, c, d) for c > a+1. Entry (c, d) sits at
    // (c - a - 1) Y + d in this row, and Y places earlier in the rows of site a+1, which are
    // yearStride apart.
    const std::size_t yearStride = static_cast<std::size_t>((S - 2 - a) * Y);
    const double* const below = &m_arrivals[arrivalOffset(r, next, 0)] - Y;
    if (!finite) {
        // 0 times a weight that is not finite is not 0: only the terms each year reaches.
        for (int c = a + 2; c < S; ++c) {
            for (int d = b; d < Y; ++d) {
                const std::size_t at = static_cast<std::size_t>((c - a - 1) * Y + d);
                double sum = 0.0;
                for (int y = b; y <= d; ++y) {
                    sum += weights[y] * below[static_cast<std::size_t>(y) * yearStride + at];
                }
                row[at] = sum;
            }
        }
        return;
    }
    // Summed over every year y >= b for each entry of the row's span (sites a+2.., from year b
    // on), contiguous here and in every row below, eight sums at a time in registers, which
    // the compiler vectorizes (an array of sums was kept in memory). A term of a year y > d
    // reads an entry of A(a+1, y) that no arrival reaches, which holds 0, and adds nothing:
    // the sums are those of the years y <= d alone, term for term.
    const std::size_t spanEnd = static_cast<std::size_t>((S - 1 - a) * Y);
    std::size_t i = static_cast<std::size_t>(Y + b);
    for (; i + 8 <= spanEnd; i += 8) {
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, s5 = 0.0, s6 = 0.0, s7 = 0.0;
        const double* from = below + i + static_cast<std::size_t>(b) * yearStride;
        for (int y = b; y < Y; ++y, from += yearStride) {
            const double weight = weights[y];
            s0 += weight * from[0];
            s1 += weight * from[1];
            s2 += weight * from[2];
            s3 += weight * from[3];
            s4 += weight * from[4];
            s5 += weight * from[5];
            s6 += weight * from[6];
            s7 += weight * from[7];
        }
        double* const to = row + i;
        to[0] = s0;
        to[1] = s1;
        to[2] = s2;
        to[3] = s3;
        to[4] = s4;
        to[5] = s5;
        to[6] = s6;
        to[7] = s7;
    }
    for (; i < spanEnd; ++i) {
        double sum = 0.0;
        for (int y = b; y < Y; ++y) {
            sum += weights[y] * below[static_cast<std::size_t>(y) * yearStride + i];
        }
        row[i] = sum;
    }
}

double RivuletLikelihood::neverSeenFrom(int r, int a, int b) const
{
    const int next = a + 1;
    const double* const survival = phiRow(r, next, b);
    const double* const captures = captureRow(r, next);
    const double* const below = &m_neverSeen[neverSeenOffset(r, next, 0)];
    double sum = 0.0;
    for (int d = b; d < m_yearCount; ++d) {
        sum += survival[d] * (1 - (1 - captures[d]) * below[d]);
    }
    return 1 - sum;
}

void RivuletLikelihood::fillNeverSeen(int r)
{
    const int S = m_siteCount;
    const int Y = m_yearCount;
    const int a0 = m_structure.relSite(r);
    const int b0 = m_structure.relYear(r);
    const int lastYear = a0 < S - 2 ? Y - 1 : b0;
    for (int b = b0; b <= lastYear; ++b) {
        const double* const lambdas = lambdaRow(r, b);
        double sum = 0.0;
        for (int d = b; d < Y; ++d) {
            sum += lambdas[d];
        }
        m_neverSeen[neverSeenOffset(r, S - 2, b)] = 1 - sum;
    }
    for (int a = S - 3; a > a0; --a) {
        for (int b = b0; b < Y; ++b) {
            m_neverSeen[neverSeenOffset(r, a, b)] = neverSeenFrom(r, a, b);
        }
    }
    if (a0 < S - 2) {
        m_neverSeen[neverSeenOffset(r, a0, b0)] = neverSeenFrom(r, a0, b0);
    }
}

void RivuletLikelihood::cellProbabilities(const std::vector<double>& x,
                                          std::vector<std::vector<double>>& next,
                                          std::vector<double>& neverSeen)
{
    // Every release's tables at x, whether or not they were filled before.
    std::fill(m_filled.begin(), m_filled.end(), 0);
    for (int r = 0; r < m_releaseCount; ++r)
        releaseLogLikelihood(r, x);
    next.resize(m_cells.size());
    neverSeen.resize(m_cells.size());
    for (std::size_t k = 0; k < m_cells.size(); ++k) {
        const LikelihoodCell& cell = m_cells[k];
        const int r = cell.release();
        const int a = cell.site();
        const int b = cell.year();
        cell.probabilities(&m_arrivals[arrivalOffset(r, a, b)], m_parameters.data(), next[k]);
        neverSeen[k] = m_neverSeen[neverSeenOffset(r, a, b)];
    }
}

double RivuletLikelihood::arrival(int r, int a, int b, int c, int d) const
{
    if (r < 0 || r >= m_releaseCount || a < m_firstArrivalSite[static_cast<std::size_t>(r)] ||
        a > m_siteCount - 2 || b < 0 || b >= m_yearCount || c < 0 || c >= m_siteCount || d < 0 ||
        d >= m_yearCount)
        return -2.0;
    if (c <= a)
        return 0.0;
    return m_arrivals.at(arrivalOffset(r, a, b) +
                         static_cast<std::size_t>((c - a - 1) * m_yearCount + d));
}

double RivuletLikelihood::neverSeenAgain(int r, int a, int b) const
{
    return m_neverSeen.at(neverSeenOffset(r, a, b));
}

void RivuletLikelihood::setExactGradient(bool exact)
{
    m_exactGradient = exact;
    allocateAdjoints();
}

void RivuletLikelihood::allocateAdjoints()
{
    if (m_exactGradient) {
        m_neverSeenAdjoints.assign(m_neverSeen.size(), 0.0);
        m_parameterAdjoints.assign(m_parameters.size(), 0.0);
    } else {
        std::vector<double>().swap(m_neverSeenAdjoints);
        std::vector<double>().swap(m_parameterAdjoints);
    }
}

void RivuletLikelihood::addTermsGradient(const std::vector<double>& x,
                                         const std::vector<int>& terms, std::vector<double>& g)
{
    if (!m_exactGradient) {
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
        m_halvesPool, [&] { addReleasesGradient(x, begin, begin + half, g); },
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
    const int first = m_firstCell[static_cast<std::size_t>(r)];
    const int last = m_firstCell[static_cast<std::size_t>(r) + 1];
    if (first == last || !std::isfinite(releaseLogLikelihood(r, x))) {
        return;
    }
    // The derivatives by the release's arrivals go into a table of one release, this thread's
    // own: a gradient walks its releases one at a time, and a table of every release would
    // double the likelihood's memory. Only the rows the backward pass reads are cleared:
    // clearing the whole table of every release cost more than the recursions.
    static thread_local std::vector<double> arrivalScratch;
    if (arrivalScratch.size() < rowOffset(m_siteCount - 1, 0))
        arrivalScratch.resize(rowOffset(m_siteCount - 1, 0));
    double* const arrivalAdjoints = arrivalScratch.data();
    const int S = m_siteCount;
    const int Y = m_yearCount;
    for (int a = m_structure.relSite(r); a <= S - 2; ++a) {
        for (int b = m_structure.relYear(r); b < Y; ++b) {
            std::fill_n(arrivalAdjoints + rowOffset(a, b),
                        static_cast<std::size_t>((S - 1 - a) * Y), 0.0);
        }
    }
    std::fill_n(m_neverSeenAdjoints.begin() + static_cast<std::ptrdiff_t>(neverSeenOffset(r, 0, 0)),
                static_cast<std::size_t>(m_siteCount * m_yearCount), 0.0);
    const int firstParameter = m_firstParameterCell[static_cast<std::size_t>(r)];
    const int lastParameter = m_firstParameterCell[static_cast<std::size_t>(r) + 1];
    for (int k = firstParameter; k < lastParameter; ++k) {
        m_parameterAdjoints[static_cast<std::size_t>(
            m_parameterCells[static_cast<std::size_t>(k)])] = 0.0;
    }

    for (int k = first; k < last; ++k) {
        const LikelihoodCell& cell = m_cells[static_cast<std::size_t>(k)];
        const std::size_t arrivalAt = arrivalOffset(r, cell.site(), cell.year());
        const std::size_t neverSeenAt = neverSeenOffset(r, cell.site(), cell.year());
        cell.addAdjoints(&m_arrivals[arrivalAt], m_neverSeen[neverSeenAt], m_parameters.data(),
                         arrivalAdjoints + rowOffset(cell.site(), cell.year()),
                         m_neverSeenAdjoints[neverSeenAt], m_parameterAdjoints.data());
    }
    neverSeenAdjoints(r);
    addArrivalAdjoints(r, arrivalAdjoints);

    // The function is minus the log-likelihood.
    const FreeCell* cell = m_freeCells.data() + m_firstFreeCell[static_cast<std::size_t>(r)];
    const FreeCell* const end =
        m_freeCells.data() + m_firstFreeCell[static_cast<std::size_t>(r) + 1];
    for (; cell != end; ++cell) {
        g[static_cast<std::size_t>(cell->index)] -=
            m_parameterAdjoints[static_cast<std::size_t>(cell->cell)];
    }
}

// fillNeverSeen() backwards: the release row first, then down the river.
void RivuletLikelihood::neverSeenAdjoints(int r)
{
    const int S = m_siteCount;
    const int Y = m_yearCount;
    const int a0 = m_structure.relSite(r);
    const int b0 = m_structure.relYear(r);
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
        const double adjoint = m_neverSeenAdjoints[neverSeenOffset(r, S - 2, b)];
        double* const lambdaAdjoints = lambdaAdjointRow(r, b);
        for (int d = b; d < Y; ++d) {
            lambdaAdjoints[d] -= adjoint;
        }
    }
}

// χ(a, b) = 1 - Σ_d φ(a+1, b, d) (1 - (1 - p(a+1, d)) χ(a+1, d)).
void RivuletLikelihood::neverSeenFromAdjoint(int r, int a, int b)
{
    const double adjoint = m_neverSeenAdjoints[neverSeenOffset(r, a, b)];
    if (adjoint == 0.0) {
        return;
    }
    const int next = a + 1;
    const double* below = &m_neverSeen[neverSeenOffset(r, next, 0)];
    double* belowAdjoint = &m_neverSeenAdjoints[neverSeenOffset(r, next, 0)];
    const double* const survivals = phiRow(r, next, b);
    const double* const captures = captureRow(r, next);
    double* const survivalAdjoints = phiAdjointRow(r, next, b);
    double* const captureAdjoints = captureAdjointRow(r, next);
    for (int d = b; d < m_yearCount; ++d) {
        const double survival = survivals[d];
        const double passed = 1 - captures[d];
        survivalAdjoints[d] -= adjoint * (1 - passed * below[d]);
        captureAdjoints[d] -= adjoint * survival * below[d];
        belowAdjoint[d] += adjoint * survival * passed;
    }
}

// fillArrivals() backwards: the release row first, then the rows further down the river, each
// after every row that read it.
void RivuletLikelihood::addArrivalAdjoints(int r, double* adjoints)
{
    const int a0 = m_structure.relSite(r);
    const int b0 = m_structure.relYear(r);
    arrivalRowAdjoint(r, a0, b0, adjoints);
    for (int a = a0 + 1; a <= m_siteCount - 2; ++a) {
        for (int b = b0; b < m_yearCount; ++b) {
            arrivalRowAdjoint(r, a, b, adjoints);
        }
    }
}

// A(a, b, a+1, d) = φ(a+1, b, d); A(a, b, c, d) = Σ_{y=b..d} w(y) A(a+1, y, c, d) for c > a+1,
// with w(y) = φ(a+1, b, y) (1 - p(a+1, y)); the final reach A(S-2, b, S-1, d) = λ(b, d).
void RivuletLikelihood::arrivalRowAdjoint(int r, int a, int b, double* adjoints)
{
    const int S = m_siteCount;
    const int Y = m_yearCount;
    const double* rowAdjoint = adjoints + rowOffset(a, b);
    if (a == S - 2) {
        double* const lambdaAdjoints = lambdaAdjointRow(r, b);
        for (int d = b; d < Y; ++d) {
            lambdaAdjoints[d] += rowAdjoint[d];
        }
        return;
    }
    const int next = a + 1;
    const double* const survivals = phiRow(r, next, b);
    const double* const captures = captureRow(r, next);
    double* const survivalAdjoints = phiAdjointRow(r, next, b);
    double* const captureAdjoints = captureAdjointRow(r, next);
    for (int d = b; d < Y; ++d) {
        survivalAdjoints[d] += rowAdjoint[d];
    }
    for (int y = b; y < Y; ++y) {
        const double survival = survivals[y];
        const double passed = 1 - captures[y];
        const double weight = survival * passed;
        // Entry (c, d) of this row sits Y places earlier in the row (a+1, y).
        const double* const below = &m_arrivals[arrivalOffset(r, next, y)] - Y;
        double* const belowAdjoint = adjoints + rowOffset(next, y) - Y;
        double weightAdjoint = 0.0;
        for (int c = a + 2; c < S; ++c) {
            const int site = (c - a - 1) * Y;
            for (int d = y; d < Y; ++d) {
                const double adjoint = rowAdjoint[site + d];
                weightAdjoint += adjoint * below[site + d];
                belowAdjoint[site + d] += weight * adjoint;
            }
        }
        survivalAdjoints[y] += weightAdjoint * passed;
        captureAdjoints[y] -= weightAdjoint * survival;
    }
}

} // namespace rivulet
