// The exact gradient of the likelihood against central differences, on every model of studies
// of the three data classes, in the probabilities and in the coordinates of the transform; and the
// Hessian from its differences against the one from values.
#include "RecoveryStudy.h"

#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/NumericalHessian.h"
#include "lum/estimation/SoftmaxTransform.h"
#include "lum/estimation/TransformedFunc.h"
#include "lum/thread/WorkerPool.h"
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace rivulet::test {
namespace {

// A study of the data class over five sites. Some fish hold over at every reach, so every
// year-changing parameter is free.
BranchingTruth truthOf(DataClass dataClass)
{
    BranchingTruth truth;
    truth.siteCount = 5;
    if (dataClass == DataClass::SeveralSitesOneYear) {
        truth.yearCount = 1;
        truth.relSites = {0, 1};
        truth.relYears = {0, 0};
    } else if (dataClass == DataClass::OneSiteSeveralYears) {
        truth.yearCount = 3;
        truth.relSites = {0, 0, 0};
        truth.relYears = {0, 1, 2};
    } else {
        truth.yearCount = 2;
        truth.relSites = {0, 0, 1, 1};
        truth.relYears = {0, 1, 0, 1};
    }
    truth.phi = [](int, int s, int y1, int y2) {
        return y2 == y1 ? 0.8 - 0.02 * s : 0.08 / (y2 - y1);
    };
    truth.capture = [](int r, int s, int y) { return 0.35 + 0.05 * s + 0.04 * y + 0.02 * r; };
    truth.lambda = [](int, int y1, int y2) { return y1 == y2 ? 0.4 : 0.05; };
    return truth;
}

// The central difference of f along coordinate j.
double centralDifference(lum::Func& f, std::vector<double> x, std::size_t j, double h)
{
    const double at = x[j];
    x[j] = at + h;
    const double up = f(x);
    x[j] = at - h;
    const double down = f(x);
    return (up - down) / (2.0 * h);
}

// Every component of f's gradient at x against central differences, to a relative 1e-5 of the
// larger of the component and the typical size of the gradient.
void expectGradientMatches(lum::Func& f, const std::vector<double>& x, double h,
                           const std::string& where)
{
    ASSERT_TRUE(f.hasExactGradient()) << where;
    std::vector<double> g;
    f.gradient(x, g);
    ASSERT_EQ(g.size(), x.size()) << where;
    std::vector<double> differences(x.size());
    double scale = 1.0;
    for (std::size_t j = 0; j < x.size(); ++j) {
        differences[j] = centralDifference(f, x, j, h);
        scale = std::max(scale, std::abs(differences[j]));
    }
    for (std::size_t j = 0; j < x.size(); ++j) {
        EXPECT_NEAR(g[j], differences[j], 1e-5 * std::max(std::abs(differences[j]), 0.01 * scale))
            << where << ", component " << j;
    }
}

class ExactGradient : public ::testing::TestWithParam<DataClass>
{
};

TEST_P(ExactGradient, EqualsCentralDifferencesOnEveryModel)
{
    FittedStudy study(simulateCounts(truthOf(GetParam()), 800, 7u));
    ASSERT_EQ(study.catalogue.dataClass(), GetParam());
    const ParameterStructure full(study.data.releases, study.data.sites, study.data.years);
    for (int captureCode = 1; captureCode <= 4; ++captureCode) {
        for (int survivalCode = 1; survivalCode <= 4; ++survivalCode) {
            const std::string model =
                "model " + std::to_string(captureCode) + "." + std::to_string(survivalCode);
            ParameterStructure structure(full);
            study.catalogue.applyModel(captureCode, survivalCode, structure);
            const auto k = static_cast<std::size_t>(structure.numFree());
            ASSERT_GT(k, 0u) << model;
            RivuletLikelihood likelihood(structure, study.data.counts, study.data.releases,
                                         study.data.sites, study.data.years);

            // A point inside the domain: the transform keeps every set within its budget.
            const lum::SoftmaxTransform transform = modelTransform(structure);
            const unsigned seed = static_cast<unsigned>(captureCode * 10 + survivalCode);
            const std::vector<double> z = uniformVector(k, -3.0, 0.5, seed);
            std::vector<double> x;
            transform.toParameters(z, x);
            ASSERT_LT(likelihood(x), RivuletLikelihood::BadValue) << model;
            expectGradientMatches(likelihood, x, 1e-6, model + " in the probabilities");

            lum::TransformedFunc transformed(likelihood, transform);
            expectGradientMatches(transformed, z, 1e-6, model + " in the coordinates");
        }
    }
}

// The Hessian of the covariance from differences of the exact gradient against the one from
// differences of values, on the unique model at a point inside the domain.
TEST_P(ExactGradient, HessianFromTheGradientMatchesTheHessianFromValues)
{
    FittedStudy study(simulateCounts(truthOf(GetParam()), 800, 7u));
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    study.catalogue.applyModel(4, 4, structure);
    RivuletLikelihood likelihood(structure, study.data.counts, study.data.releases,
                                 study.data.sites, study.data.years);
    std::vector<double> x;
    modelTransform(structure).toParameters(uniformVector(structure.numFree(), -3.0, 0.5, 5u), x);
    const std::atomic<bool> cancelled{false};
    lum::DenseMatrix fromGradient;
    lum::DenseMatrix fromValues;
    ASSERT_TRUE(lum::NumericalHessian(cancelled, 1e-5).compute(likelihood, x, fromGradient));
    likelihood.setExactGradient(false);
    ASSERT_TRUE(lum::NumericalHessian(cancelled, 1e-5).compute(likelihood, x, fromValues));
    double scale = 0.0;
    for (int i = 0; i < fromValues.rows(); ++i)
        scale = std::max(scale, std::abs(fromValues(i, i)));
    for (int i = 0; i < fromValues.rows(); ++i) {
        for (int j = 0; j < fromValues.columns(); ++j) {
            EXPECT_EQ(fromGradient(i, j), fromGradient(j, i));
            EXPECT_NEAR(fromGradient(i, j), fromValues(i, j), 1e-4 * scale) << i << ", " << j;
        }
    }
}

// Sixteen releases: enough that the likelihood sums them in two halves, here on one thread
// and on two, which must give the same numbers to the last bit.
TEST(ExactGradientOfManyReleases, MatchesDifferencesOnOneThreadOrTwo)
{
    BranchingTruth truth = truthOf(DataClass::SeveralSitesSeveralYears);
    truth.siteCount = 11;
    truth.relSites.clear();
    truth.relYears.clear();
    for (int site = 0; site < 8; ++site) {
        for (int year = 0; year < 2; ++year) {
            truth.relSites.push_back(site);
            truth.relYears.push_back(year);
        }
    }
    FittedStudy study(simulateCounts(truth, 300, 11u));
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    study.catalogue.applyModel(4, 4, structure);
    std::vector<double> x;
    modelTransform(structure).toParameters(uniformVector(structure.numFree(), -3.0, 0.5, 3u), x);

    RivuletLikelihood oneThread(structure, study.data.counts, study.data.releases, study.data.sites,
                                study.data.years);
    RivuletLikelihood twoThreads(structure, study.data.counts, study.data.releases,
                                 study.data.sites, study.data.years);
    lum::WorkerPool pool(1);
    twoThreads.setHalvesPool(&pool);
    ASSERT_EQ(oneThread.termCount(), 16);
    EXPECT_EQ(twoThreads(x), oneThread(x));
    std::vector<double> g1;
    std::vector<double> g2;
    oneThread.gradient(x, g1);
    twoThreads.gradient(x, g2);
    EXPECT_EQ(g2, g1);
    expectGradientMatches(twoThreads, x, 1e-6, "sixteen releases");
}

INSTANTIATE_TEST_SUITE_P(Classes, ExactGradient,
                         ::testing::Values(DataClass::SeveralSitesOneYear,
                                           DataClass::OneSiteSeveralYears,
                                           DataClass::SeveralSitesSeveralYears));

} // namespace
} // namespace rivulet::test
