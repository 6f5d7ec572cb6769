// The exact gradient of the likelihood against central differences, on every model of studies
// of the three data classes, in the probabilities, in one block of them and in the coordinates
// of the transform; and fits with it against fits with the optimizers' differences.
#include "RecoveryStudy.h"

#include "lum/estimation/BlockFunc.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/NumericalHessian.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/SoftmaxTransform.h"
#include "lum/estimation/TransformedFunc.h"
#include "rivulet/model/ModelEstimator.h"
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ostream>
#include <random>
#include <stdexcept>

namespace rivulet::test {
namespace {

struct GradientCase
{
    const char* name;
    BranchingTruth truth;
    DataClass dataClass;
};

void PrintTo(const GradientCase& c, std::ostream* os)
{
    *os << c.name;
}

// Some fish hold over at every reach, so every year-changing parameter is free.
BranchingTruth truthOf(int siteCount, int yearCount, std::vector<int> relSites,
                       std::vector<int> relYears)
{
    BranchingTruth truth;
    truth.siteCount = siteCount;
    truth.yearCount = yearCount;
    truth.relSites = std::move(relSites);
    truth.relYears = std::move(relYears);
    truth.phi = [](int, int s, int y1, int y2) {
        return y2 == y1 ? 0.8 - 0.02 * s : 0.08 / (y2 - y1);
    };
    truth.capture = [](int r, int s, int y) { return 0.35 + 0.05 * s + 0.04 * y + 0.02 * r; };
    truth.lambda = [](int, int y1, int y2) { return y1 == y2 ? 0.4 : 0.05; };
    return truth;
}

GradientCase severalSitesOneYear()
{
    return {"SeveralSitesOneYear", truthOf(5, 1, {0, 1}, {0, 0}), DataClass::SeveralSitesOneYear};
}

GradientCase oneSiteSeveralYears()
{
    return {"OneSiteSeveralYears", truthOf(5, 3, {0, 0, 0}, {0, 1, 2}),
            DataClass::OneSiteSeveralYears};
}

GradientCase sitesAndYears()
{
    return {"SeveralSitesSeveralYears", truthOf(5, 2, {0, 0, 1, 1}, {0, 1, 0, 1}),
            DataClass::SeveralSitesSeveralYears};
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

std::vector<double> uniformVector(std::size_t n, double low, double high, unsigned seed)
{
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> value(low, high);
    std::vector<double> x(n);
    for (double& v : x)
        v = value(engine);
    return x;
}

class ExactGradient : public ::testing::TestWithParam<GradientCase>
{
};

TEST_P(ExactGradient, EqualsCentralDifferencesOnEveryModel)
{
    const GradientCase& c = GetParam();
    FittedStudy study(simulateCounts(c.truth, 800, 7u));
    ASSERT_EQ(study.catalogue.dataClass(), c.dataClass);
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

            // One release's terms and the parameters only they enter, the others held.
            std::vector<int> own;
            for (std::size_t j = 0; j < k; ++j) {
                if (likelihood.termsOfParameter(static_cast<int>(j)) == std::vector<int>{0})
                    own.push_back(static_cast<int>(j));
            }
            if (!own.empty()) {
                std::vector<double> point = x;
                lum::BlockFunc block(likelihood, point, own, {0});
                std::vector<double> local;
                block.gather(x, local);
                expectGradientMatches(block, local, 1e-6, model + " in the block of release 0");
            }

            lum::TransformedFunc transformed(likelihood, transform);
            expectGradientMatches(transformed, z, 1e-6, model + " in the coordinates");
        }
    }
}

// With the differences switched off the gradient is the finite-difference one of lum::Func,
// and a gradient allocates nothing once made.
TEST_P(ExactGradient, CanBeSwitchedToDifferences)
{
    const GradientCase& c = GetParam();
    FittedStudy study(simulateCounts(c.truth, 800, 7u));
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    study.catalogue.applyModel(4, 4, structure);
    RivuletLikelihood likelihood(structure, study.data.counts, study.data.releases,
                                 study.data.sites, study.data.years);
    std::vector<double> x;
    modelTransform(structure).toParameters(
        uniformVector(static_cast<std::size_t>(structure.numFree()), -3.0, 0.5, 3u), x);
    std::vector<double> exact;
    likelihood.gradient(x, exact);
    likelihood.setExactGradient(false);
    EXPECT_FALSE(likelihood.hasExactGradient());
    std::vector<double> forward;
    likelihood.gradient(x, forward);
    std::vector<double> g = exact;
    EXPECT_THROW(likelihood.addTermsGradient(x, {0}, g), std::logic_error);
    double largest = 0.0;
    for (std::size_t j = 0; j < x.size(); ++j) {
        largest = std::max(largest, std::abs(forward[j] - exact[j]));
        // Forward differences with a step of 1e-8: a few digits.
        EXPECT_NEAR(forward[j], exact[j], 1e-3 * std::max(1.0, std::abs(exact[j]))) << j;
    }
    EXPECT_GT(largest, 0.0) << "the two gradients come from different computations";
}

// The Hessian of the covariance from differences of the exact gradient against the one from
// differences of values, on the unique model at a point inside the domain.
TEST_P(ExactGradient, HessianFromTheGradientMatchesTheHessianFromValues)
{
    const GradientCase& c = GetParam();
    FittedStudy study(simulateCounts(c.truth, 800, 7u));
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    study.catalogue.applyModel(4, 4, structure);
    RivuletLikelihood likelihood(structure, study.data.counts, study.data.releases,
                                 study.data.sites, study.data.years);
    std::vector<double> x;
    modelTransform(structure).toParameters(
        uniformVector(static_cast<std::size_t>(structure.numFree()), -3.0, 0.5, 5u), x);
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

// Every model of the fit list, fitted with the exact gradient and with differences by the two
// optimizers that use a gradient, reaches the same maximum.
TEST_P(ExactGradient, FitsReachTheSameMaximumAsWithDifferences)
{
    const GradientCase& c = GetParam();
    const QString counts = simulateCounts(c.truth, 1500, 99u);
    for (const char* optimizer : {"0", "1"}) {
        FittedStudy differences(counts);
        FittedStudy exact(counts);
        const std::vector<EquatingScheme> schemes = exact.catalogue.fitList();
        ASSERT_FALSE(schemes.empty());
        differences.fit(schemes, lum::createOptimizer(QString::fromLatin1(optimizer)), 1e-8,
                        ModelEstimator::Gradient::FiniteDifferences);
        exact.fit(schemes, lum::createOptimizer(QString::fromLatin1(optimizer)), 1e-8,
                  ModelEstimator::Gradient::Exact);
        ASSERT_EQ(exact.results.count(), static_cast<int>(schemes.size()))
            << exact.warnings.join('\n').toStdString();
        ASSERT_EQ(differences.results.count(), exact.results.count());
        for (int m = 0; m < exact.results.count(); ++m) {
            EXPECT_NEAR(exact.results.result(m).logLikelihood,
                        differences.results.result(m).logLikelihood, 1e-6)
                << "optimizer " << optimizer << ", model " << m;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, ExactGradient,
                         ::testing::Values(severalSitesOneYear(), oneSiteSeveralYears(),
                                           sitesAndYears()),
                         [](const ::testing::TestParamInfo<GradientCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace rivulet::test
