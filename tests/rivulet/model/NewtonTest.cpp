// The Newton optimizer on the sparse Hessian: the Hessian assembled from the terms' pieces
// against dense differences of the exact gradient, and the fits it reaches against the
// quasi-Newton method's, on studies of two data classes and on one large block.
#include "RecoveryStudy.h"

#include "lum/estimation/BlockFunc.h"
#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/NewtonOptimizer.h"
#include "lum/estimation/NumericalHessian.h"
#include "lum/estimation/SoftmaxTransform.h"
#include "lum/estimation/SparseHessian.h"
#include "lum/estimation/TransformedFunc.h"
#include "lum/thread/WorkerPool.h"
#include "rivulet/model/ModelFit.h"
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterBlocks.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/ProfileLikelihood.h"
#include "rivulet/model/RivuletLikelihood.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>

namespace rivulet::test {
namespace {

BranchingTruth truthOf(int yearCount, const std::vector<int>& relSites,
                       const std::vector<int>& relYears, int siteCount = 5)
{
    BranchingTruth truth;
    truth.siteCount = siteCount;
    truth.yearCount = yearCount;
    truth.relSites = relSites;
    truth.relYears = relYears;
    truth.phi = [](int r, int s, int y1, int y2) {
        return y2 == y1 ? 0.8 - 0.02 * s - 0.01 * r : 0.08 / (y2 - y1);
    };
    truth.capture = [](int r, int s, int y) { return 0.35 + 0.04 * s + 0.04 * y + 0.01 * r; };
    truth.lambda = [](int, int y1, int y2) { return y1 == y2 ? 0.4 : 0.05; };
    return truth;
}

// Sixteen releases at eight sites over two years: many terms, so most parameters are some
// release's own and a few are shared.
BranchingTruth manyReleases()
{
    std::vector<int> sites;
    std::vector<int> years;
    for (int site = 0; site < 8; ++site) {
        for (int year = 0; year < 2; ++year) {
            sites.push_back(site);
            years.push_back(year);
        }
    }
    return truthOf(2, sites, years, 11);
}

// The dense central differences of f's exact gradient along every coordinate, symmetric.
lum::DenseMatrix denseHessian(lum::Func& f, std::vector<double> z, double step)
{
    const int n = static_cast<int>(z.size());
    lum::DenseMatrix hessian(n, n);
    std::vector<double> up;
    std::vector<double> down;
    for (int j = 0; j < n; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        const double at = z[jj];
        const double h = step * std::max(std::abs(at), 1.0);
        z[jj] = at + h;
        f.gradient(z, up);
        z[jj] = at - h;
        f.gradient(z, down);
        z[jj] = at;
        for (int i = 0; i < n; ++i)
            hessian(i, j) = (up[static_cast<std::size_t>(i)] - down[static_cast<std::size_t>(i)]) /
                            ((at + h) - (at - h));
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            hessian(i, j) = hessian(j, i) = 0.5 * (hessian(i, j) + hessian(j, i));
    return hessian;
}

// Every element of the sparse matrix against the dense one, to a relative 1e-5 of the larger
// of the element and the largest diagonal element; an element the sparse one leaves out must
// be exactly 0 in the dense one (no term joins the two parameters).
void expectSameHessian(const lum::SparseHessian::Matrix& sparse, const lum::DenseMatrix& dense,
                       const std::string& where, double tolerance = 1e-5)
{
    ASSERT_EQ(sparse.rows(), dense.rows()) << where;
    const Eigen::MatrixXd full(sparse);
    double scale = 0.0;
    for (int i = 0; i < dense.rows(); ++i)
        scale = std::max(scale, std::abs(dense(i, i)));
    int stored = 0;
    for (int i = 0; i < dense.rows(); ++i) {
        for (int j = 0; j < dense.columns(); ++j) {
            EXPECT_EQ(full(i, j), full(j, i)) << where;
            EXPECT_NEAR(full(i, j), dense(i, j),
                        tolerance * std::max(std::abs(dense(i, j)), 1e-3 * scale))
                << where << ": " << i << ", " << j;
        }
    }
    for (int j = 0; j < sparse.outerSize(); ++j)
        for (lum::SparseHessian::Matrix::InnerIterator it(sparse, j); it; ++it)
            ++stored;
    for (int i = 0; i < dense.rows(); ++i) {
        for (int j = 0; j < dense.columns(); ++j) {
            if (sparse.coeff(i, j) == 0.0 && dense(i, j) != 0.0)
                ADD_FAILURE() << where << ": " << i << ", " << j << " is not stored";
        }
    }
    EXPECT_LT(stored, dense.rows() * dense.columns()) << where << ": nothing left out";
}

TEST(SparseHessian, EqualsDenseDifferencesOfTheExactGradient)
{
    FittedStudy study(simulateCounts(manyReleases(), 300, 11u));
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    // Captures shared by all releases, survival each release's own: both kinds of parameter.
    study.catalogue.applyModel(1, 4, structure);
    RivuletLikelihood likelihood(structure, study.data.counts, study.data.releases,
                                 study.data.sites, study.data.years);
    const lum::SoftmaxTransform transform = modelTransform(structure);
    const int k = structure.numFree();
    const std::vector<double> z = uniformVector(k, -3.0, 0.5, 5u);
    const std::atomic<bool> cancelled{false};

    lum::TransformedFunc transformed(likelihood, transform);
    lum::SparseHessian inCoordinates(transformed, k);
    ASSERT_TRUE(
        inCoordinates.compute(z, 1e-5, lum::SparseHessian::Step::RelativeFromOne, cancelled));
    expectSameHessian(inCoordinates.matrix(), denseHessian(transformed, z, 1e-5),
                      "in the coordinates");
    // Fewer gradients than the dense differences' two per parameter.
    EXPECT_LT(inCoordinates.gradientsPerHessian(), 2 * k);
    // The optimizer's forward differences: the same matrix to the first order of the step.
    lum::SparseHessian forward(transformed, k);
    ASSERT_TRUE(forward.compute(z, 1e-5, lum::SparseHessian::Step::RelativeFromOne, cancelled,
                                lum::SparseHessian::Differences::Forward));
    expectSameHessian(forward.matrix(), denseHessian(transformed, z, 1e-5), "forward", 1e-3);

    // In the probabilities, with the covariance's relative steps, it is the covariance's
    // Hessian.
    std::vector<double> x;
    transform.toParameters(z, x);
    lum::SparseHessian inProbabilities(likelihood, k);
    ASSERT_TRUE(inProbabilities.compute(x, 1e-5, lum::SparseHessian::Step::Relative, cancelled));
    lum::DenseMatrix parts;
    ASSERT_TRUE(lum::NumericalHessian(cancelled, 1e-5).compute(likelihood, x, parts));
    expectSameHessian(inProbabilities.matrix(), parts, "in the probabilities");
}

ModelFit fit(const FittedStudy& study, int captureCode, int survivalCode, const QString& optimizer)
{
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    study.catalogue.applyModel(captureCode, survivalCode, structure);
    FitOptions options;
    options.optimizer = optimizer;
    options.newtonFrom = 0;
    const std::atomic<bool> cancel{false};
    return fitModel(FitProblem{structure, study.data.counts, study.data.releases, study.data.sites,
                               study.data.years},
                    options, cancel);
}

// Newton's fit against the quasi-Newton method's: the same maximum (never lower by more than
// 1e-6) and the same estimates (1e-4).
void expectSameFit(const FittedStudy& study, int captureCode, int survivalCode)
{
    const std::string model = std::to_string(captureCode) + "." + std::to_string(survivalCode);
    const ModelFit newton = fit(study, captureCode, survivalCode, QStringLiteral("newton"));
    const ModelFit quasiNewton =
        fit(study, captureCode, survivalCode, QStringLiteral("quasi-newton"));
    ASSERT_EQ(quasiNewton.summary.ending, FitEnding::Converged) << model;
    ASSERT_EQ(newton.summary.ending, FitEnding::Converged)
        << model << ": " << newton.summary.message.toStdString();
    EXPECT_GT(newton.summary.logLikelihood, quasiNewton.summary.logLikelihood - 1e-6) << model;
    EXPECT_NEAR(newton.summary.logLikelihood, quasiNewton.summary.logLikelihood, 1e-4) << model;
    ASSERT_EQ(newton.estimates.size(), quasiNewton.estimates.size());
    for (std::size_t i = 0; i < newton.estimates.size(); ++i)
        EXPECT_NEAR(newton.estimates[i], quasiNewton.estimates[i], 1e-4) << model << ", " << i;
    EXPECT_LT(newton.summary.iterations, quasiNewton.summary.iterations) << model;
}

TEST(NewtonFit, ReachesTheQuasiNewtonMaximumOnEveryModelOfTwoDataClasses)
{
    // One release site over three years, and two release sites in series over two years.
    const FittedStudy oneSite(simulateCounts(truthOf(3, {0, 0, 0}, {0, 1, 2}), 800, 7u));
    const FittedStudy inSeries(simulateCounts(truthOf(2, {0, 0, 1, 1}, {0, 1, 0, 1}), 800, 7u));
    ASSERT_EQ(oneSite.catalogue.dataClass(), DataClass::OneSiteSeveralYears);
    ASSERT_EQ(inSeries.catalogue.dataClass(), DataClass::SeveralSitesSeveralYears);
    for (const FittedStudy* study : {&oneSite, &inSeries})
        for (const EquatingScheme& scheme : study->catalogue.fitList())
            expectSameFit(*study, scheme.captureCode, scheme.survivalCode);
}

TEST(NewtonFit, ReachesTheQuasiNewtonMaximumOnOneLargeBlock)
{
    const FittedStudy study(simulateCounts(manyReleases(), 300, 13u));
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    study.catalogue.applyModel(1, 4, structure);
    RivuletLikelihood likelihood(structure, study.data.counts, study.data.releases,
                                 study.data.sites, study.data.years);
    ASSERT_EQ(parameterBlocks(likelihood, modelTransform(structure)).size(), 1u);
    ASSERT_GT(structure.numFree(), 100);
    expectSameFit(study, 1, 4);

    // At the estimates, the covariance from the sparse Hessian is the dense one's.
    const ModelFit newton = fit(study, 1, 4, QStringLiteral("newton"));
    const std::atomic<bool> cancelled{false};
    lum::CovarianceCalculator calculator(cancelled, ModelFit::HessianStep);
    lum::DenseMatrix dense;
    lum::DenseMatrix sparse;
    ASSERT_TRUE(calculator.compute(likelihood, newton.estimates, dense).valueOr(false));
    ASSERT_TRUE(calculator.computeSparse(likelihood, newton.estimates, sparse));
    for (int i = 0; i < dense.rows(); ++i)
        for (int j = 0; j < dense.columns(); ++j)
            EXPECT_NEAR(sparse(i, j), dense(i, j), 1e-6 * std::sqrt(dense(i, i) * dense(j, j)))
                << i << ", " << j;

    // A parameter at exactly 0 gets no step, so the factor leaves the decision to the dense
    // way, which on that same Hessian finds what the dense differences would: no covariance.
    std::vector<double> atZero = newton.estimates;
    atZero[0] = 0.0;
    lum::DenseMatrix hessian;
    EXPECT_FALSE(calculator.computeSparse(likelihood, atZero, sparse, &hessian));
    ASSERT_EQ(hessian.rows(), dense.rows());
    const lum::Expected<bool> decided = calculator.computeFrom(hessian, sparse);
    ASSERT_FALSE(decided);
    EXPECT_EQ(decided.error().message,
              QString::fromLatin1(lum::CovarianceCalculator::SingularHessian));
}

// Newton's method that starts every fit afresh, whatever its user asks.
class Forgetful : public lum::NewtonOptimizer
{
public:
    void setCarryCurvature(bool) override { lum::NewtonOptimizer::setCarryCurvature(false); }
};

TEST(NewtonFit, ProfileIntervalsFromTheKeptHessianAreThoseOfFitsAfresh)
{
    const FittedStudy study(simulateCounts(manyReleases(), 300, 13u));
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    study.catalogue.applyModel(1, 4, structure);
    const ModelFit newton = fit(study, 1, 4, QStringLiteral("newton"));
    ASSERT_EQ(newton.summary.ending, FitEnding::Converged);
    RivuletLikelihood likelihood(structure, study.data.counts, study.data.releases,
                                 study.data.sites, study.data.years);
    const lum::SoftmaxTransform transform = modelTransform(structure);
    const std::vector<ParameterBlock> blocks = parameterBlocks(likelihood, transform);
    ASSERT_EQ(blocks.size(), 1u);
    const std::atomic<bool> cancel{false};
    lum::NewtonOptimizer carrying;
    Forgetful afresh;
    ProfileLikelihood kept(likelihood, transform, carrying, FitOptions::DefaultEndingCriterion,
                           cancel);
    ProfileLikelihood fresh(likelihood, transform, afresh, FitOptions::DefaultEndingCriterion,
                            cancel);
    // The third starts each side from the block's Hessian at the estimates.
    lum::NewtonOptimizer seededOptimizer;
    ProfileLikelihood seeded(likelihood, transform, seededOptimizer,
                             FitOptions::DefaultEndingCriterion, cancel);
    {
        std::vector<double> point = newton.estimates;
        lum::BlockFunc func(likelihood, point, blocks[0].parameters, blocks[0].terms);
        const lum::SoftmaxTransform local = blockTransform(transform, blocks[0].parameters);
        lum::TransformedFunc objective(func, local);
        std::vector<double> values;
        std::vector<double> z;
        func.gather(point, values);
        local.toCoordinates(values, z);
        seeded.setBlockHessian(std::make_shared<const lum::HessianSeed>(
            lum::HessianSeed{lum::newtonHessian(objective, z, cancel), {}}));
    }
    // The estimates without a standard error, and interior ones across the block.
    std::vector<int> profiled;
    for (std::size_t i = 0; i < newton.summary.estimates.size(); ++i)
        if (newton.summary.estimates[i] != EstimateStatus::Estimated || i % 20 == 0)
            profiled.push_back(static_cast<int>(i));
    ASSERT_GT(profiled.size(), 5u);
    for (const int p : profiled) {
        const std::optional<ProfileInterval> a = kept.interval(blocks[0], newton.estimates, p);
        const std::optional<ProfileInterval> b = fresh.interval(blocks[0], newton.estimates, p);
        const std::optional<ProfileInterval> c = seeded.interval(blocks[0], newton.estimates, p);
        ASSERT_TRUE(a && b && c) << p;
        // Each limit is found to a thousandth of a logit unit, a quarter of that in the share.
        const double tolerance = 2.5e-4 * transform.budget(transform.groupOf(p));
        EXPECT_NEAR(a->lower, b->lower, tolerance) << p;
        EXPECT_NEAR(a->upper, b->upper, tolerance) << p;
        EXPECT_NEAR(c->lower, b->lower, tolerance) << p;
        EXPECT_NEAR(c->upper, b->upper, tolerance) << p;
        EXPECT_LT(a->lower, a->upper) << p;
    }
}

TEST(NewtonFit, ProfilesSharedOutBetweenThreadsAreThoseFoundOneAfterTheOther)
{
    // Two release sites in series, every release's parameters equated: one block.
    const FittedStudy study(simulateCounts(truthOf(2, {0, 0, 1, 1}, {0, 1, 0, 1}), 800, 7u));
    ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
    study.catalogue.applyModel(1, 1, structure);
    const FitProblem problem{structure, study.data.counts, study.data.releases, study.data.sites,
                             study.data.years};
    const std::atomic<bool> cancel{false};
    const auto fitOn = [&](unsigned workers) {
        lum::WorkerPool pool(workers);
        FitOptions options;
        options.pool = &pool;
        options.profiles = FitOptions::Profiles::All;
        return fitModel(problem, options, cancel);
    };
    const ModelFit alone = fitOn(0);
    const ModelFit shared = fitOn(1);
    ASSERT_EQ(alone.summary.ending, FitEnding::Converged);
    ASSERT_EQ(shared.summary.ending, FitEnding::Converged);
    ASSERT_GT(alone.summary.profiles.size(), 5u);
    EXPECT_EQ(shared.estimates, alone.estimates);
    ASSERT_EQ(shared.summary.profiles.size(), alone.summary.profiles.size());
    for (std::size_t i = 0; i < alone.summary.profiles.size(); ++i) {
        const ProfileInterval& a = alone.summary.profiles[i];
        const ProfileInterval& b = shared.summary.profiles[i];
        EXPECT_EQ(b.parameter, a.parameter) << i;
        EXPECT_EQ(b.lower, a.lower) << a.parameter;
        EXPECT_EQ(b.upper, a.upper) << a.parameter;
    }
}

} // namespace
} // namespace rivulet::test
