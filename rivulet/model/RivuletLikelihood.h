#pragma once

#include "lum/estimation/Func.h"
#include "rivulet/model/LikelihoodCell.h"

#include <limits>
#include <vector>

namespace lum {
class WorkerPool;
}

namespace rivulet {

class NextDetectionsI;
class ParameterStructure;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// The negative log-likelihood of the next detections of every included release under the
// branching model, as a function of one model's free parameter vector.
//
// The gradient is exact (reverse mode through the arrival and never-seen recursions of each
// release: a few evaluations' work for all parameters at once) unless setExactGradient(false)
// asks for the finite differences of lum::Func.
//
// Each release is one term: its multinomials use only its own parameters, so a change of
// free parameter j changes only the releases listed by termsOfParameter(j), and
// termsValue() evaluates just those. All tables are sized at construction; an evaluation
// only overwrites them.
//
// The structure, the counts and the controllers are borrowed and must outlive the object.
// Evaluations write scratch tables, each release its own part of them: one object serves
// several threads at once only while they evaluate disjoint sets of releases (and each reads
// only its releases' parameters of the vector it passes).
class RivuletLikelihood : public lum::Func
{
public:
    static constexpr double BadValue = std::numeric_limits<double>::max();

    RivuletLikelihood(const ParameterStructure& structure, const NextDetectionsI& counts,
                      const ReleasesControllerI& releases, const SitesControllerI& sites,
                      const YearsControllerI& years);
    ~RivuletLikelihood() override;

    // The negative log-likelihood at x, or BadValue when it is not a finite number.
    double operator()(const std::vector<double>& x) override;
    int termCount() const override;
    const std::vector<int>& termsOfParameter(int j) const override;
    // -(sum of the log-likelihoods of the listed releases), or BadValue when not finite.
    double termsValue(const std::vector<double>& x, const std::vector<int>& terms) override;
    // Every release's term at x in one pass.
    void termValues(const std::vector<double>& x, std::vector<double>& values) override;
    bool hasExactGradient() const override { return m_exactGradient; }
    // Minus the derivatives of the listed releases' log-likelihoods, added at the free positions
    // of their parameters. Throws std::logic_error while the exact gradient is switched off.
    void addTermsGradient(const std::vector<double>& x, const std::vector<int>& terms,
                          std::vector<double>& g) override;
    // On by default. Off frees the gradient's tables, and the gradient is finite differences.
    // Not while another thread evaluates.
    void setExactGradient(bool exact);
    // A long list of releases is always summed in two halves, each into a sum of its own, added
    // first to second; with a pool (borrowed), the second half may be evaluated by one of its
    // workers. For a model fitted as one piece, which would otherwise leave the other cores
    // idle. The numbers do not depend on it. Null (the default): one half after the other.
    // Not while another thread evaluates.
    void setHalvesPool(lum::WorkerPool* pool) { m_halvesPool = pool; }

    const std::vector<LikelihoodCell>& cells() const { return m_cells; }
    // The chances of every cell's outcomes at x, in the order of cells(): next[k] laid out
    // [site][year] (the chance that a fish of cell k is next detected there) and neverSeen[k].
    // Evaluates the likelihood at x first. Not while another thread evaluates.
    void cellProbabilities(const std::vector<double>& x, std::vector<std::vector<double>>& next,
                           std::vector<double>& neverSeen);
    // The tables of the last evaluation, for inspection: A[r][a][b][c][d] (arrival at site c
    // in year d of a fish at site a in year b, undetected in between) and χ[r][a][b] (never
    // detected again). Cells no computation fills read 0; indices outside the tables read -2.
    double arrival(int r, int a, int b, int c, int d) const;
    double neverSeenAgain(int r, int a, int b) const;

private:
    void buildCells(const NextDetectionsI& counts);
    void buildParameterLists();
    double releaseLogLikelihood(int r, const std::vector<double>& x);
    double sumOfReleases(const std::vector<double>& x, const int* first, const int* last);
    void checkTerms(const std::vector<int>& terms) const;
    void addReleasesGradient(const std::vector<double>& x, const int* first, const int* last,
                             std::vector<double>& g);
    // Where a list of releases is cut in two halves of about equal work; 0 for a list too
    // short to be worth cutting.
    std::size_t halfOf(const std::vector<int>& terms) const;
    // Writes the release's free values of x into m_parameters; true when any of them differs
    // from what was there.
    bool resolveParameters(int r, const std::vector<double>& x);
    void fillArrivals(int r);
    void fillArrivalRow(int r, int a, int b);
    void fillNeverSeen(int r);
    double neverSeenFrom(int r, int a, int b) const;
    void addReleaseGradient(int r, const std::vector<double>& x, std::vector<double>& g);
    void neverSeenAdjoints(int r);
    void neverSeenFromAdjoint(int r, int a, int b);
    // The backward pass of the arrivals of release r, whose derivatives by its arrivals are
    // laid out as rowOffset() has them in `adjoints`.
    void addArrivalAdjoints(int r, double* adjoints);
    void arrivalRowAdjoint(int r, int a, int b, double* adjoints);
    void allocateAdjoints();
    static double finiteOrBad(double logLikelihood);

    // Row (a, b) of one release's arrivals: the sites below a, laid out [c - a - 1][d]. The
    // rows follow one another site by site, year by year; a site's rows are one site shorter
    // than those of the site above it.
    std::size_t rowOffset(int a, int b) const
    {
        const long long S = m_siteCount;
        const long long Y = m_yearCount;
        const long long sitesOfRowsAbove = a * (S - 1) - static_cast<long long>(a) * (a - 1) / 2;
        return static_cast<std::size_t>((sitesOfRowsAbove * Y + b * (S - 1 - a)) * Y);
    }
    // Row (a, b) of release r, a at or below its site.
    std::size_t arrivalOffset(int r, int a, int b) const
    {
        return m_arrivalBase[static_cast<std::size_t>(r)] + rowOffset(a, b) -
               rowOffset(m_firstArrivalSite[static_cast<std::size_t>(r)], 0);
    }
    std::size_t neverSeenOffset(int r, int a, int b) const
    {
        return static_cast<std::size_t>((r * m_siteCount + a) * m_yearCount + b);
    }
    // The parameters, and their derivatives, as rows indexed by their last year: φ(r, s, y1, ·),
    // λ(r, y1, ·) and p(r, s, ·). One lookup serves a whole loop of the recursions.
    const double* phiRow(int r, int s, int y1) const;
    const double* lambdaRow(int r, int y1) const;
    const double* captureRow(int r, int s) const;
    double* phiAdjointRow(int r, int s, int y1);
    double* lambdaAdjointRow(int r, int y1);
    double* captureAdjointRow(int r, int s);

    const ParameterStructure& m_structure;
    int m_releaseCount = 0;
    int m_siteCount = 0;
    int m_yearCount = 0;
    std::vector<int> m_releaseIds;
    std::vector<int> m_siteIds;
    std::vector<int> m_yearIds;

    // The rows of every release, laid out as rowOffset() has them, without the sites above each
    // release's own: release r's rows start at m_arrivalBase[r] with site
    // m_firstArrivalSite[r]. Entries that no arrival reaches (years before the row's) stay 0,
    // so that a row can sum whole contiguous spans of the rows below it.
    std::vector<double> m_arrivals;
    std::vector<std::size_t> m_arrivalBase; // [R+1]
    std::vector<int> m_firstArrivalSite;    // [R]
    std::vector<double> m_neverSeen;        // [R][S][Y]
    std::vector<double> m_parameters;       // current values by structure cell
    std::vector<double> m_passWeights;      // [R][Y] scratch of one arrival row
    std::vector<LikelihoodCell> m_cells;
    std::vector<int> m_firstCell; // [R+1]: the cells of release r are first..next-1
    // The free parameters of each release: structure cell and free position. Fixed values are
    // written into m_parameters once, at construction.
    struct FreeCell
    {
        int cell = 0;
        int index = 0;
    };
    std::vector<FreeCell> m_freeCells;
    std::vector<int> m_firstFreeCell; // [R+1]
    std::vector<int> m_indexLimit;    // [R]: 1 + the largest free position of the release
    // Whether each release's tables have been filled, and the log-likelihood they gave. They
    // hold for as long as the release's values in m_parameters stay the same: the gradient at
    // the point just evaluated finds its forward pass done.
    std::vector<double> m_filledLikelihood; // [R]
    std::vector<char> m_filled;             // [R]; char, so releases of other threads stay apart
    std::vector<int> m_parameterCells;      // the structure cells of each release's parameters
    std::vector<int> m_firstParameterCell;  // [R+1]
    bool m_exactGradient = true;
    lum::WorkerPool* m_halvesPool = nullptr;
    // The derivatives of a release's log-likelihood by its never-seen chances and parameters,
    // laid out as m_neverSeen and m_parameters (each release its own part); those by its
    // arrivals are a table of one release on each thread.
    std::vector<double> m_neverSeenAdjoints;
    std::vector<double> m_parameterAdjoints;
    std::vector<std::vector<int>> m_termsOfParameter;
    std::vector<int> m_allTerms;
};

} // namespace rivulet
