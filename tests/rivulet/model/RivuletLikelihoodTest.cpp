#include "SimulatedData.h"

#include "rivulet/model/ModelApplication.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

using rivulet::LikelihoodCell;
using rivulet::ParameterMap;
using rivulet::ParameterStructure;
using rivulet::ReleaseId;
using rivulet::RivuletLikelihood;
using rivulet::test::SimulatedData;
using rivulet::test::uniformVector;

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

double lg(double n)
{
    return std::lgamma(n + 1.0); // ln n!
}

void expectRelativelyNear(double actual, double expected, double tolerance = 1e-12)
{
    EXPECT_NEAR(actual, expected, tolerance * std::max(1.0, std::fabs(expected)));
}

// A model and its likelihood over a simulated data set.
struct Fit
{
    SimulatedData data;
    ParameterStructure structure;
    std::unique_ptr<RivuletLikelihood> likelihood;

    explicit Fit(const QString& text) : data(text)
    {
        structure = ParameterStructure(data.releases, data.sites, data.years);
    }
    RivuletLikelihood& make()
    {
        likelihood = std::make_unique<RivuletLikelihood>(structure, data.counts, data.releases,
                                                         data.sites, data.years);
        return *likelihood;
    }
};

// Probabilities small enough that no year's movements add up to more than 1 (three years).
constexpr double kLow = 0.05;
constexpr double kHigh = 0.3;

// Three sites (release, one detection site, final), one year, one release of 100 fish:
// 30 never seen, 50 first seen at site 1, 20 first seen at the final site; of the 45 seen
// at site 1, 35 were seen at the final site and 10 never again.
const char* const kThreeSites = "1 3 1\n0\n0\n100\n\n30\n50\n20\n10\n35\n";

// Several releases, including one at the last detection site, over five sites and three years.
QString severalReleases(unsigned seed, double emptyShare = 0.15)
{
    return rivulet::test::randomCounts(5, 3, {0, 1, 0, 3, 2}, {0, 1, 2, 0, 1}, seed, emptyShare);
}

} // namespace

TEST(RivuletLikelihood, ThreeSitesMatchHandComputation)
{
    Fit fit(kThreeSites);
    ASSERT_EQ(fit.structure.numFree(), 3);
    RivuletLikelihood& f = fit.make();
    ASSERT_EQ(f.cells().size(), 2u);
    EXPECT_EQ(f.cells()[1].fishCount(), 45);

    const double phi = 0.8;
    const double lambda = 0.7;
    const double p = 0.6;
    const std::vector<double> x = {phi, lambda, p}; // numbering: phi, lambda, p
    const double value = f(x);

    const double chi = 1 - phi * (1 - (1 - p) * (1 - lambda));
    const double releaseCell = lg(100) - lg(30) + 30 * std::log(chi) + 50 * std::log(phi * p) -
                               lg(50) + 20 * std::log(phi * (1 - p) * lambda) - lg(20);
    const double detectionCell =
        lg(45) - lg(10) + 10 * std::log(1 - lambda) + 35 * std::log(lambda) - lg(35);
    expectRelativelyNear(value, -(releaseCell + detectionCell));

    expectRelativelyNear(f.arrival(0, 0, 0, 1, 0), phi);
    expectRelativelyNear(f.arrival(0, 0, 0, 2, 0), phi * (1 - p) * lambda);
    expectRelativelyNear(f.arrival(0, 1, 0, 2, 0), lambda);
    expectRelativelyNear(f.neverSeenAgain(0, 0, 0), chi);
    expectRelativelyNear(f.neverSeenAgain(0, 1, 0), 1 - lambda);
}

TEST(RivuletLikelihood, HoldOverArrivalMatchesHandComputation)
{
    Fit fit(rivulet::test::randomCounts(4, 2, {0}, {0}, 7));
    RivuletLikelihood& f = fit.make();
    const std::vector<double> x = uniformVector(fit.structure.numFree(), kLow, kHigh, 11);
    f(x);
    const ParameterMap m(fit.structure, x);
    const auto pass = [&](int s, int y1, int y2) {
        return m.phi(0, s, y1, y2) * (1 - m.capture(0, s, y2));
    };
    const double fromSite1Year0 =
        pass(2, 0, 0) * m.lambda(0, 0, 1) + pass(2, 0, 1) * m.lambda(0, 1, 1);
    const double fromSite1Year1 = pass(2, 1, 1) * m.lambda(0, 1, 1);
    expectRelativelyNear(f.arrival(0, 1, 0, 3, 1), fromSite1Year0);
    expectRelativelyNear(f.arrival(0, 1, 1, 3, 1), fromSite1Year1);
    expectRelativelyNear(f.arrival(0, 0, 0, 3, 1),
                         pass(1, 0, 0) * fromSite1Year0 + pass(1, 0, 1) * fromSite1Year1);
    expectRelativelyNear(f.arrival(0, 0, 0, 2, 1),
                         pass(1, 0, 0) * m.phi(0, 2, 0, 1) + pass(1, 0, 1) * m.phi(0, 2, 1, 1));

    const double chi21 = 1 - m.lambda(0, 1, 1);
    const double chi20 = 1 - m.lambda(0, 0, 0) - m.lambda(0, 0, 1);
    expectRelativelyNear(f.neverSeenAgain(0, 2, 0), chi20);
    const double chi11 = 1 - m.phi(0, 2, 1, 1) * (1 - (1 - m.capture(0, 2, 1)) * chi21);
    expectRelativelyNear(f.neverSeenAgain(0, 1, 1), chi11);
}

TEST(RivuletLikelihood, EveryCellsProbabilitiesSumToOne)
{
    // The arrival and never-seen tables come from separate recursions; a group's next
    // detections and its never-seen fish must exhaust the possibilities.
    Fit fit(severalReleases(3));
    RivuletLikelihood& f = fit.make();
    const std::vector<double> x = uniformVector(fit.structure.numFree(), kLow, kHigh, 5);
    ASSERT_LT(f(x), kLargest);
    const ParameterMap m(fit.structure, x);
    const int S = 5;
    const int Y = 3;
    for (const LikelihoodCell& cell : f.cells()) {
        const int r = cell.release();
        double total = f.neverSeenAgain(r, cell.site(), cell.year());
        for (int s = cell.site() + 1; s < S; ++s) {
            for (int y = cell.year(); y < Y; ++y) {
                const double detection = s == S - 1 ? 1.0 : m.capture(r, s, y);
                total += f.arrival(r, cell.site(), cell.year(), s, y) * detection;
            }
        }
        EXPECT_NEAR(total, 1.0, 1e-12)
            << "release " << r << " cell (" << cell.site() << ", " << cell.year() << ")";
    }
}

TEST(RivuletLikelihood, SumsTheMultinomialsOfAllCells)
{
    Fit fit(severalReleases(9));
    RivuletLikelihood& f = fit.make();
    const std::vector<double> x = uniformVector(fit.structure.numFree(), kLow, kHigh, 13);
    const double value = f(x);
    const ParameterMap m(fit.structure, x);
    const QList<int> ids = fit.data.releases.ids();
    const int S = 5;
    const int Y = 3;
    double expected = 0.0;
    int cells = 0;
    for (int r = 0; r < ids.size(); ++r) {
        const int a0 = fit.structure.relSite(r);
        const int b0 = fit.structure.relYear(r);
        for (int a = a0; a <= S - 2; ++a) {
            const bool releaseCell = a == a0;
            for (int b = b0; b <= (releaseCell ? b0 : Y - 1); ++b) {
                const rivulet::CountMatrix& n =
                    releaseCell ? fit.data.counts.releaseNextCounts(ReleaseId{ids[r]})
                                : fit.data.counts.nextCounts(ReleaseId{ids[r]}, a, b);
                const int n0 = releaseCell ? fit.data.counts.releaseNotSeen(ReleaseId{ids[r]})
                                           : fit.data.counts.notSeenAgain(ReleaseId{ids[r]}, a, b);
                double N = n0;
                double l = n0 > 0 ? n0 * std::log(f.neverSeenAgain(r, a, b)) : 0.0;
                for (int s = a + 1; s < S; ++s) {
                    for (int y = b; y < Y; ++y) {
                        const int c = n.count(s, y);
                        N += c;
                        if (c > 0) {
                            const double P =
                                f.arrival(r, a, b, s, y) * (s == S - 1 ? 1.0 : m.capture(r, s, y));
                            l += c * std::log(P) - lg(c);
                        }
                    }
                }
                expected += l + lg(N) - lg(n0);
                ++cells;
            }
        }
    }
    EXPECT_EQ(cells, static_cast<int>(f.cells().size()));
    expectRelativelyNear(value, -expected);
}

TEST(RivuletLikelihood, ReleaseNeverDetectedContributesOnlyItsNeverSeenTerm)
{
    Fit fit("1 3 1\n0\n0\n25\n\n25\n0\n0\n0\n0\n");
    RivuletLikelihood& f = fit.make();
    // With no survival to the first site nothing can be detected: probability 1.
    EXPECT_EQ(f({0.0, 0.7, 0.6}), 0.0);
    const double chi = 1 - 0.5 * (1 - 0.4 * 0.3);
    expectRelativelyNear(f({0.5, 0.7, 0.6}), -25 * std::log(chi));
}

TEST(RivuletLikelihood, ReleaseAtTheLastDetectionSiteUsesOnlyLambda)
{
    // Three sites, two years, released at site 1: 12 never seen, 30 and 8 at the final site.
    Fit fit("1 3 2\n1\n0\n50\n\n12\n30\n8\n");
    ASSERT_EQ(fit.structure.numFree(), 2);
    RivuletLikelihood& f = fit.make();
    ASSERT_EQ(f.cells().size(), 1u);
    const double l0 = 0.5;
    const double l1 = 0.2;
    const double expected = lg(50) - lg(12) + 12 * std::log(1 - l0 - l1) + 30 * std::log(l0) -
                            lg(30) + 8 * std::log(l1) - lg(8);
    expectRelativelyNear(f({l0, l1}), -expected);
    expectRelativelyNear(f.neverSeenAgain(0, 1, 0), 1 - l0 - l1);
}

TEST(RivuletLikelihood, BadPointsGiveTheLargestDouble)
{
    Fit fit(kThreeSites);
    RivuletLikelihood& f = fit.make();
    // Certain detection at site 1, yet 20 fish passed it unseen.
    EXPECT_EQ(f({0.8, 0.7, 1.0}), kLargest);
    // A negative probability makes a logarithm NaN.
    EXPECT_EQ(f({-0.8, 0.7, 0.6}), kLargest);
    EXPECT_EQ(f.termsValue({0.8, 0.7, 1.0}, {0}), kLargest);
    // A good point after a bad one is evaluated afresh.
    EXPECT_LT(f({0.8, 0.7, 0.6}), kLargest);
}

TEST(RivuletLikelihood, ArrivalsOfAYearDoNotReadTheWeightsOfLaterYears)
{
    // A row sums its years over whole spans, reading 0 where a later year cannot reach; an
    // infinite weight of year 1 must still leave the arrivals of year 0 as they were.
    Fit fit(rivulet::test::randomCounts(4, 2, {0}, {0}, 7));
    RivuletLikelihood& f = fit.make();
    std::vector<double> x = uniformVector(fit.structure.numFree(), kLow, kHigh, 11);
    f(x);
    const double before[] = {f.arrival(0, 0, 0, 2, 0), f.arrival(0, 0, 0, 3, 0)};
    const int held = fit.structure.phiIndex(0, 1, 0, 1); // the pass of site 1 into year 1
    ASSERT_GE(held, 0);
    x[static_cast<std::size_t>(held)] = std::numeric_limits<double>::infinity();
    EXPECT_EQ(f(x), kLargest);
    EXPECT_EQ(f.arrival(0, 0, 0, 2, 0), before[0]);
    EXPECT_EQ(f.arrival(0, 0, 0, 3, 0), before[1]);
    EXPECT_FALSE(std::isfinite(f.arrival(0, 0, 0, 3, 1)));
}

TEST(RivuletLikelihood, TermsOfParameterListExactlyTheReleasesItChanges)
{
    // No empty cells, so that every parameter a release has shows in its term.
    Fit fit(severalReleases(33, 0.0));
    // Equate survival across all releases so that parameters are shared between terms.
    rivulet::ModelApplication::equateSurvival(1, fit.structure);
    RivuletLikelihood& f = fit.make();
    const int n = fit.structure.numFree();
    const std::vector<double> x = uniformVector(n, kLow, kHigh, 19);
    const double full = f(x);
    std::vector<double> base;
    f.termValues(x, base);
    ASSERT_EQ(base.size(), 5u);
    // Separable: the releases' terms add up to the whole, and each is its own terms value.
    expectRelativelyNear(std::accumulate(base.begin(), base.end(), 0.0), full);
    EXPECT_EQ(f.termsValue(x, {0, 1, 2, 3, 4}), full);
    EXPECT_EQ(f.termsValue(x, {3}), base[3]);

    bool sawShared = false;
    for (int j = 0; j < n; ++j) {
        const std::vector<int>& terms = f.termsOfParameter(j);
        ASSERT_FALSE(terms.empty()) << "parameter " << j;
        ASSERT_TRUE(std::is_sorted(terms.begin(), terms.end()));
        sawShared = sawShared || terms.size() > 1;
        std::vector<double> moved = x;
        moved[static_cast<std::size_t>(j)] *= 1.1;
        std::vector<double> after;
        f.termValues(moved, after);
        for (int t = 0; t < f.termCount(); ++t) {
            const bool listed = std::binary_search(terms.begin(), terms.end(), t);
            if (listed) {
                EXPECT_NE(after[static_cast<std::size_t>(t)], base[static_cast<std::size_t>(t)])
                    << "parameter " << j << " term " << t;
            } else {
                EXPECT_EQ(after[static_cast<std::size_t>(t)], base[static_cast<std::size_t>(t)])
                    << "parameter " << j << " term " << t;
            }
        }
    }
    EXPECT_TRUE(sawShared);
    EXPECT_TRUE(f.termsOfParameter(-1).empty());
    EXPECT_TRUE(f.termsOfParameter(n).empty());
    // The full value after partial evaluations is unchanged.
    EXPECT_EQ(f(x), full);
}
