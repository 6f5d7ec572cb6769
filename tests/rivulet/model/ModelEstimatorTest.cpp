#include "RecoveryStudy.h"

#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/Estimator.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/TransformedFunc.h"
#include "lum/thread/ThreadRunner.h"
#include "lum/thread/WorkerPool.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ModelEstimator.h"
#include "rivulet/model/ModelFit.h"
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"

#include <QRegularExpression>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace rivulet::test {
namespace {

// An optimizer whose runs the test scripts: before each run the hook sees the vector (and
// may change it, throw or cancel); then the vector is minimised by Fletch, or left as it is.
class ScriptedOptimizer : public lum::OptimizerI
{
public:
    using Hook = std::function<void(std::vector<double>& x)>;

    ScriptedOptimizer(Hook hook, bool minimise)
        : lum::OptimizerI(QStringLiteral("Scripted"), 9, nullptr), m_hook(std::move(hook)),
          m_minimise(minimise)
    {
        connect(m_inner.get(), &lum::OptimizerI::beginOptimization, this,
                &lum::OptimizerI::beginOptimization);
        connect(m_inner.get(), &lum::OptimizerI::endOptimization, this,
                &lum::OptimizerI::endOptimization);
    }

    void optimize(lum::Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled,
                  int& iterations) override
    {
        m_hook(x);
        if (m_minimise) {
            m_inner->optimize(func, x, cancelled, iterations);
            return;
        }
        announceBegin(func, x);
        iterations = 1;
        announceEnd(func, x, iterations);
    }

private:
    std::unique_ptr<lum::OptimizerI> m_inner = lum::createOptimizer(QStringLiteral("0"));
    Hook m_hook;
    bool m_minimise = true;
};

// Sites 0 and 1 release fish (1 also detects), two years with hold-over: data class 3.
BranchingTruth studyTruth()
{
    BranchingTruth truth;
    truth.siteCount = 5;
    truth.yearCount = 2;
    truth.relSites = {0, 0, 1, 1};
    truth.relYears = {0, 1, 0, 1};
    const std::vector<int> sites = truth.relSites;
    truth.phi = [sites](int r, int s, int y1, int y2) {
        const double holdOver = s == sites[r] + 1 && y1 == 0 ? 0.1 : 0.0;
        const double survival = 0.85 - 0.05 * sites[r];
        return y2 == y1 ? survival * (1 - holdOver) : survival * holdOver;
    };
    truth.capture = [](int, int s, int y) { return 0.4 + 0.05 * s + 0.05 * y; };
    truth.lambda = [](int, int y1, int y2) { return y1 == y2 ? 0.3 : 0.0; };
    return truth;
}

const QString& studyCounts()
{
    static const QString text = simulateCounts(studyTruth(), 1500, 4242u);
    return text;
}

// What a run reported, in order, as "status: ...", "warning: ..." and "error: ..." lines.
struct Reports
{
    QStringList lines;
    QStringList fitted; // model names of the "Fitting model" lines

    void connectTo(lum::ThreadRunner& runner)
    {
        QObject::connect(&runner, &lum::ThreadRunner::status, [this](const QString& text) {
            lines << QStringLiteral("status: ") + text;
            if (text.startsWith(QStringLiteral("\nFitting model "))) {
                fitted << text.mid(15);
            }
        });
        QObject::connect(&runner, &lum::ThreadRunner::warning, [this](const QString& text) {
            lines << QStringLiteral("warning: ") + text;
        });
        QObject::connect(&runner, &lum::ThreadRunner::errorStatus, [this](const QString& text) {
            lines << QStringLiteral("error: ") + text;
        });
    }
    QStringList problems() const
    {
        return lines.filter(QRegularExpression(QStringLiteral("^(warning|error): ")));
    }
};

// A data set with its summary and catalogue, and a job on a runner that is not started: run()
// is called directly, so the runner's signals arrive at once on this thread.
struct EstimationFixture
{
    FittedStudy study;
    lum::ThreadRunner runner;
    Reports reports;

    explicit EstimationFixture(const QString& text = studyCounts()) : study(text)
    {
        reports.connectTo(runner);
    }

    std::unique_ptr<ModelEstimator> job(const FitOptions& options, lum::ThreadRunner* jobRunner)
    {
        return std::make_unique<ModelEstimator>(study.data.releases, study.data.sites,
                                                study.data.years, study.catalogue, study.results,
                                                study.data.counts, options, jobRunner);
    }
    std::unique_ptr<ModelEstimator> job(ScriptedOptimizer::Hook hook, bool minimise = true)
    {
        FitOptions options;
        options.prototype = std::make_shared<ScriptedOptimizer>(std::move(hook), minimise);
        return job(options, &runner);
    }
    // The model applied to a structure of the study's, and the fit function's result on it.
    ModelFit fit(const EquatingScheme& scheme, const FitOptions& options,
                 const std::atomic<bool>& cancel = std::atomic<bool>{false})
    {
        ParameterStructure structure(study.data.releases, study.data.sites, study.data.years);
        study.catalogue.applyModel(scheme.captureCode, scheme.survivalCode, structure);
        return fitModel(FitProblem{structure, study.data.counts, study.data.releases,
                                   study.data.sites, study.data.years},
                        options, cancel);
    }
    QString name(const EquatingScheme& scheme) const
    {
        return ModelCatalogue::modelName(study.catalogue.dataClass(), scheme);
    }
};

const std::vector<EquatingScheme> kThreeModels = {{4, 4}, {2, 4}, {1, 1}};

// The status line the job writes after a model.
QString statusLine(const Reports& reports, const QString& model)
{
    const QStringList lines = reports.lines.filter(QRegularExpression(
        QStringLiteral("^status: ") + QRegularExpression::escape(model) + QStringLiteral(": ")));
    return lines.size() == 1 ? lines.first().mid(8) : lines.join(QStringLiteral(" | "));
}

TEST(ModelEstimatorTest, FitsTheFitListInOrderAndRecordsLikelihoodAicAndSummary)
{
    EstimationFixture f;
    const std::vector<EquatingScheme> fitList = f.study.catalogue.fitList();
    ASSERT_GE(fitList.size(), 3u);
    auto job = f.job(FitOptions{}, &f.runner);
    job->run();

    EXPECT_TRUE(f.reports.problems().isEmpty()) << f.reports.problems().join('\n').toStdString();
    ASSERT_EQ(f.study.results.count(), static_cast<int>(fitList.size()));
    for (int i = 0; i < f.study.results.count(); ++i) {
        const EquatingScheme scheme = fitList[static_cast<std::size_t>(i)];
        EXPECT_EQ(f.reports.fitted.value(i), f.name(scheme));
        const ModelResult& result = f.study.results.result(i);
        EXPECT_EQ(result.scheme(), scheme);
        // The record's figures at its own estimates, on the model's own structure.
        const ParameterStructure& fitted = f.study.results.structure(i);
        RivuletLikelihood likelihood(fitted, f.study.data.counts, f.study.data.releases,
                                     f.study.data.sites, f.study.data.years);
        const double value = likelihood(f.study.results.estimates(i));
        const int k = fitted.numFree();
        EXPECT_EQ(result.numParameters(), k);
        EXPECT_DOUBLE_EQ(result.logLikelihood, -value);
        EXPECT_DOUBLE_EQ(result.aic, 2.0 * k + 2.0 * value);
        EXPECT_TRUE(result.hasCovariance());

        const FitSummary& summary = result.summary;
        EXPECT_EQ(summary.ending, FitEnding::Converged);
        EXPECT_EQ(summary.statusText(), QStringLiteral("converged"));
        EXPECT_EQ(summary.logLikelihood, result.logLikelihood);
        EXPECT_GT(summary.iterations, 0);
        EXPECT_GT(summary.evaluations, summary.iterations);
        std::size_t covered = 0;
        for (const BlockCovariance& block : summary.blocks) {
            EXPECT_EQ(block.status, CovarianceStatus::Computed);
            covered += block.parameters.size();
        }
        EXPECT_EQ(covered, static_cast<std::size_t>(k));
        EXPECT_EQ(statusLine(f.reports, f.name(scheme)),
                  f.name(scheme) + QStringLiteral(": converged in %1 iterations; covariance "
                                                  "computed")
                                       .arg(summary.iterations));
    }
    // Equating leaves the later models fewer parameters.
    EXPECT_GT(f.study.results.result(0).numParameters(),
              f.study.results.result(f.study.results.count() - 1).numParameters());
}

TEST(ModelEstimatorTest, TheUniqueModelFittedReleaseByReleaseEqualsTheJointFit)
{
    EstimationFixture f;
    const EquatingScheme unique{4, 4};
    FitOptions options;
    options.endingCriterion = 1e-9;
    auto job = f.job(options, &f.runner);
    job->setSchemes({unique});
    job->run();
    ASSERT_EQ(f.study.results.count(), 1) << f.reports.problems().join('\n').toStdString();
    // Four releases on parameters of their own: four problems.
    EXPECT_TRUE(f.reports.lines.contains(
        QStringLiteral("status: Fitting 4 independent blocks of parameters")));
    EXPECT_EQ(f.study.results.result(0).summary.blocks.size(), 4u);

    // The same model as one problem of every parameter.
    ParameterStructure structure(f.study.data.releases, f.study.data.sites, f.study.data.years);
    f.study.catalogue.applyModel(unique.captureCode, unique.survivalCode, structure);
    const int k = structure.numFree();
    RivuletLikelihood likelihood(structure, f.study.data.counts, f.study.data.releases,
                                 f.study.data.sites, f.study.data.years);
    const lum::SoftmaxTransform transform = modelTransform(structure);
    lum::TransformedFunc objective(likelihood, transform);
    std::vector<double> x(static_cast<std::size_t>(k), 1.0 / (f.study.data.years.count() + 1));
    std::vector<double> z;
    transform.toCoordinates(x, z);
    const std::unique_ptr<lum::OptimizerI> fletch = lum::createOptimizer(QStringLiteral("0"));
    lum::Estimator estimator(*fletch, 1e-9);
    const std::atomic<bool> never{false};
    estimator.estimate(objective, z, never);
    transform.toParameters(z, x);
    lum::DenseMatrix joint;
    ASSERT_TRUE(lum::CovarianceCalculator(never, ModelFit::HessianStep)
                    .compute(likelihood, x, joint)
                    .valueOr(false));

    EXPECT_NEAR(f.study.results.logLikelihood(0), -likelihood(x), 1e-6);
    const std::vector<double>& estimates = f.study.results.estimates(0);
    ASSERT_EQ(static_cast<int>(estimates.size()), k);
    const lum::DenseMatrix* blocks = f.study.results.covariance(0);
    ASSERT_NE(blocks, nullptr);
    ASSERT_EQ(blocks->rows(), k);
    for (int i = 0; i < k; ++i) {
        EXPECT_NEAR(estimates[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(i)], 1e-4)
            << i;
        for (int j = 0; j < k; ++j) {
            const double scale = std::sqrt(joint(i, i) * joint(j, j));
            EXPECT_NEAR((*blocks)(i, j), joint(i, j), 1e-2 * scale) << i << ", " << j;
        }
    }
}

// A model in blocks and one fitted as one piece (its halves summed on the pool): the fit
// function's numbers are the job's, to the last digit, whatever threads the pool has.
TEST(ModelEstimatorTest, TheFitFunctionGivesTheSameNumbersOnAnyNumberOfThreads)
{
    EstimationFixture f;
    const std::vector<EquatingScheme> schemes = {{4, 4}, {1, 1}};
    auto job = f.job(FitOptions{}, &f.runner);
    job->setSchemes(schemes);
    job->run();
    ASSERT_EQ(f.study.results.count(), 2) << f.reports.problems().join('\n').toStdString();
    lum::WorkerPool alone(0);
    lum::WorkerPool three(3);
    for (int i = 0; i < 2; ++i) {
        for (lum::WorkerPool* pool : {&alone, &three}) {
            FitOptions options;
            options.pool = pool;
            const ModelFit fit = f.fit(schemes[static_cast<std::size_t>(i)], options);
            ASSERT_EQ(fit.summary.ending, FitEnding::Converged)
                << fit.summary.message.toStdString();
            EXPECT_EQ(fit.summary.message, QString());
            EXPECT_EQ(fit.estimates, f.study.results.estimates(i)) << pool->concurrency();
            EXPECT_EQ(fit.summary.logLikelihood, f.study.results.logLikelihood(i));
            EXPECT_EQ(fit.summary.iterations, f.study.results.result(i).summary.iterations);
            ASSERT_NE(fit.covariance, nullptr);
            EXPECT_TRUE(*fit.covariance == *f.study.results.covariance(i));
        }
    }
}

TEST(ModelEstimatorTest, AFailedFitIsReportedByNameAndTheOthersRecorded)
{
    EstimationFixture f;
    auto job = f.job([&](std::vector<double>&) {
        if (f.reports.fitted.size() == 2) {
            throw NR3::NRError("Too many iterations in brent");
        }
    });
    job->setSchemes(kThreeModels);
    job->run();

    const QString second = f.name(kThreeModels[1]);
    EXPECT_EQ(f.reports.problems(),
              QStringList{QStringLiteral("warning: ") + second +
                          QStringLiteral(": Error estimating parameters: Too many iterations in "
                                         "brent")});
    EXPECT_EQ(statusLine(f.reports, second),
              second + QStringLiteral(": failed; no covariance; not recorded"));
    ASSERT_EQ(f.study.results.count(), 2);
    EXPECT_EQ(f.study.results.scheme(0), kThreeModels[0]);
    EXPECT_EQ(f.study.results.scheme(1), kThreeModels[2]);
    EXPECT_EQ(f.reports.fitted.size(), 3);
    // The reason stays with the results, for the comparison to show where the figures would.
    EXPECT_EQ(f.study.results.failure(kThreeModels[1]),
              QStringLiteral("Error estimating parameters: Too many iterations in brent"));
    EXPECT_EQ(f.study.results.failure(kThreeModels[0]), QString());
}

TEST(ModelEstimatorTest, ABadPointAtTheEndIsNotRecorded)
{
    EstimationFixture f;
    // A coordinate that is not a number leaves a likelihood that is not a number.
    auto job = f.job([](std::vector<double>& x) { x.back() = std::nan(""); }, false);
    job->setSchemes({{1, 1}});
    job->run();
    EXPECT_TRUE(f.study.results.isEmpty());
    EXPECT_EQ(f.reports.problems(), QStringList{QStringLiteral("warning: ") + f.name({1, 1}) +
                                                QStringLiteral(": unable to estimate parameters")});
}

// A simplex that may never call itself converged runs into its limit of evaluations: the fit
// is not an estimate. (The optimizers' codes for their limits are checked with them.)
TEST(ModelEstimatorTest, AFitStoppedAtItsIterationLimitIsReportedAndNotRecorded)
{
    EstimationFixture f;
    const EquatingScheme scheme{2, 4};
    FitOptions options;
    options.optimizer = QStringLiteral("3;maxFuncEvalualtions=1;convergenceTolerance=0");
    const ModelFit fit = f.fit(scheme, options);
    EXPECT_EQ(fit.summary.ending, FitEnding::IterationLimit);
    EXPECT_EQ(fit.summary.statusText(), QStringLiteral("iteration limit"));
    EXPECT_EQ(fit.summary.message,
              QStringLiteral("Error estimating parameters: Maximum number of iterations exceeded"));
    EXPECT_EQ(fit.covariance, nullptr);

    auto job = f.job(options, &f.runner);
    job->setSchemes({scheme});
    job->run();
    EXPECT_TRUE(f.study.results.isEmpty());
    EXPECT_EQ(f.reports.problems(), QStringList{QStringLiteral("warning: ") + f.name(scheme) +
                                                QStringLiteral(": ") + fit.summary.message});
    EXPECT_EQ(statusLine(f.reports, f.name(scheme)),
              f.name(scheme) +
                  QStringLiteral(": stopped at the iteration limit; no covariance; not recorded"));
}

TEST(ModelEstimatorTest, ParametersTheDataDoNotInformCostNoOtherBlockItsStandardErrors)
{
    // Release 1 (at site 1) has no fish at all: with every release on its own parameters,
    // the likelihood does not depend on its parameters and their Hessian is singular. The
    // summary is left as it is made, so that nothing is fixed.
    FittedStudy study(QStringLiteral("2 4 1\n0 1\n0 0\n100 0\n\n"
                                     "30\n40\n10\n20\n" // release 0: never seen, sites 1-3
                                     "10\n20\n10 \n"    // seen at 1: never again, at 2, at 3
                                     "8\n12 \n"         // seen at 2
                                     "0\n0\n0\n"        // release 1: never seen, sites 2-3
                                     "0\n0 \n"),
                      false); // release 1 seen at 2
    const EquatingScheme scheme{2, 2};
    study.fit({scheme});
    const QString name = ModelCatalogue::modelName(study.catalogue.dataClass(), scheme);

    ASSERT_EQ(study.results.count(), 1);
    const ModelResult& result = study.results.result(0);
    ASSERT_TRUE(result.hasCovariance());
    for (const double value : study.results.estimates(0)) {
        EXPECT_TRUE(std::isfinite(value));
    }
    // The block of the release without fish is not estimable; the other keeps its covariance.
    const FitSummary& summary = result.summary;
    EXPECT_EQ(summary.ending, FitEnding::Converged);
    ASSERT_EQ(summary.blocks.size(), 2u);
    EXPECT_EQ(summary.blocks[0].status, CovarianceStatus::Computed);
    EXPECT_EQ(summary.blocks[1].status, CovarianceStatus::Reduced);
    const int unknown = static_cast<int>(summary.blocks[1].parameters.size());
    EXPECT_EQ(summary.blocks[1].notEstimable, unknown);
    EXPECT_EQ(summary.informedParameters, static_cast<int>(summary.blocks[0].parameters.size()));
    EXPECT_GT(result.covariances->lambdaVariance(0, 0, 0), 0.0);
    EXPECT_TRUE(std::isnan(result.covariances->lambdaVariance(1, 0, 0)));
    for (const int p : summary.blocks[0].parameters)
        EXPECT_EQ(summary.estimates[static_cast<std::size_t>(p)], EstimateStatus::Estimated);
    for (const int p : summary.blocks[1].parameters)
        EXPECT_EQ(summary.estimates[static_cast<std::size_t>(p)], EstimateStatus::NotEstimable);
    EXPECT_EQ(summary.statusText(), QStringLiteral("converged; %1 not estimable").arg(unknown));
    // Nothing informs them: their profile intervals are the whole of their space.
    ASSERT_EQ(summary.profiles.size(), static_cast<std::size_t>(unknown));
    for (const ProfileInterval& interval : summary.profiles) {
        EXPECT_EQ(interval.lower, 0.0);
        EXPECT_GT(interval.upper, 0.0);
    }
    // The warning names the model, the block and its parameters.
    ASSERT_EQ(study.warnings.size(), 1);
    EXPECT_TRUE(study.warnings[0].startsWith(
        name + QStringLiteral(": block 2 of 2 (%1 parameters): standard errors without %1 not "
                              "estimable (")
                   .arg(unknown)))
        << study.warnings[0].toStdString();
    EXPECT_TRUE(study.statuses.contains(
        name + QStringLiteral(": converged in %1 iterations; covariance computed with %2 not "
                              "estimable set aside")
                   .arg(summary.iterations)
                   .arg(unknown)))
        << study.statuses.join('\n').toStdString();
}

TEST(ModelEstimatorTest, AnEstimateAtOneHasAProfileIntervalInsteadOfAStandardError)
{
    // Every fish seen below site 2 was seen at 2: its detection probability's maximum is 1.
    // The Hessian is regular there, but a standard error across the bound would be no
    // standard error of the estimate.
    FittedStudy study(QStringLiteral("1 4 1\n0\n0\n100\n\n"
                                     "30\n40\n30\n0\n" // never seen, first at sites 1-3
                                     "15\n25\n0 \n"    // seen at 1: never again, at 2, at 3
                                     "20\n35 \n"),     // seen at 2
                      false);
    const EquatingScheme scheme{1, 1};
    study.fit({scheme});
    ASSERT_EQ(study.results.count(), 1);
    const ModelResult& result = study.results.result(0);
    ASSERT_TRUE(result.hasCovariance());
    const FitSummary& summary = result.summary;
    ASSERT_EQ(summary.blocks.size(), 1u);
    EXPECT_EQ(summary.blocks[0].status, CovarianceStatus::Computed);
    EXPECT_EQ(summary.blocks[0].atBound, 1);
    EXPECT_EQ(summary.statusText(), QStringLiteral("converged; 1 at a bound"));
    EXPECT_EQ(summary.informedParameters, static_cast<int>(summary.estimates.size()) - 1);
    const auto bound =
        std::find(summary.estimates.begin(), summary.estimates.end(), EstimateStatus::AtBound);
    ASSERT_NE(bound, summary.estimates.end());
    const int index = static_cast<int>(bound - summary.estimates.begin());
    EXPECT_GT(study.results.estimates(0)[static_cast<std::size_t>(index)], 1.0 - 1e-6);
    ASSERT_EQ(summary.profiles.size(), 1u);
    EXPECT_EQ(summary.profiles[0].parameter, index);
    EXPECT_EQ(summary.profiles[0].upper, 1.0);
    EXPECT_LT(summary.profiles[0].lower, 1.0);
    // Nothing went wrong with the covariance: a status, not a warning.
    EXPECT_TRUE(study.warnings.isEmpty()) << study.warnings.join('\n').toStdString();
}

TEST(ModelEstimatorTest, ACanceledFitIsNeitherRecordedNorFollowedByTheNextModel)
{
    EstimationFixture f;
    const std::atomic<bool> canceled{true};
    const ModelFit fit = f.fit({1, 1}, FitOptions{}, canceled);
    EXPECT_EQ(fit.summary.ending, FitEnding::Canceled);
    EXPECT_EQ(fit.summary.statusText(), QStringLiteral("canceled"));
    EXPECT_EQ(fit.covariance, nullptr);

    QSignalSpy canceledRuns(&f.runner, &lum::ThreadRunner::runCanceled);
    // Canceled from the worker thread while the second model is being fitted.
    // The three models have different numbers of free parameters: a new size is a new model.
    int models = 0;
    std::size_t lastSize = 0;
    auto cancelling = f.job(
        [&](std::vector<double>& x) {
            if (x.size() != lastSize && ++models == 2) {
                f.runner.cancel();
            }
            lastSize = x.size();
        },
        true);
    cancelling->setSchemes(kThreeModels);
    f.runner.setRunnable(cancelling.get());
    f.runner.start();
    ASSERT_TRUE(f.runner.wait(60000));
    EXPECT_EQ(canceledRuns.count(), 1);
    ASSERT_EQ(f.study.results.count(), 1);
    EXPECT_EQ(f.study.results.scheme(0), kThreeModels[0]);
    EXPECT_EQ(f.reports.fitted.size(), 2);
}

} // namespace
} // namespace rivulet::test
