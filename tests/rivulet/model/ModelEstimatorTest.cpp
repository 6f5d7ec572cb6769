#include "RecoveryStudy.h"

#include "common/TestEnvironment.h"

#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/Estimator.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/TransformedFunc.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/ModelEstimator.h"
#include "rivulet/model/ModelTransform.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"
#include "rivulet/settings/AppStartup.h"
#include "rivulet/settings/RivuletSettings.h"

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
        : lum::OptimizerI(QStringLiteral("Scripted"), 9, nullptr), hook_(std::move(hook)),
          minimise_(minimise)
    {
        connect(inner_.get(), &lum::OptimizerI::beginOptimization, this,
                &lum::OptimizerI::beginOptimization);
        connect(inner_.get(), &lum::OptimizerI::endOptimization, this,
                &lum::OptimizerI::endOptimization);
    }

    void optimize(lum::Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled,
                  int& iterations) override
    {
        hook_(x);
        if (minimise_) {
            inner_->optimize(func, x, cancelled, iterations);
            return;
        }
        announceBegin(func, x);
        iterations = 1;
        announceEnd(func, x, iterations);
    }

private:
    std::unique_ptr<lum::OptimizerI> inner_ = lum::createOptimizer(QStringLiteral("0"));
    Hook hook_;
    bool minimise_ = true;
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

    std::unique_ptr<ModelEstimator> job(std::unique_ptr<lum::OptimizerI> optimizer,
                                        lum::ThreadRunner* jobRunner, double criterion = 1e-4)
    {
        return std::make_unique<ModelEstimator>(
            study.data.releases, study.data.sites, study.data.years, study.catalogue, study.results,
            study.data.counts, std::move(optimizer), criterion, jobRunner);
    }
    std::unique_ptr<ModelEstimator> job(ScriptedOptimizer::Hook hook, bool minimise = true)
    {
        return job(std::make_unique<ScriptedOptimizer>(std::move(hook), minimise), &runner);
    }
    QString name(const EquatingScheme& scheme) const
    {
        return ModelCatalogue::modelName(study.catalogue.dataClass(), scheme);
    }
};

const std::vector<EquatingScheme> kThreeModels = {{4, 4}, {2, 4}, {1, 1}};

TEST(ModelEstimatorTest, FitsTheFitListInOrderAndRecordsLikelihoodAndAic)
{
    EstimationFixture f;
    const std::vector<EquatingScheme> fitList = f.study.catalogue.fitList();
    ASSERT_GE(fitList.size(), 3u);
    auto job = f.job(lum::createOptimizer(QStringLiteral("0")), &f.runner);
    job->run();

    EXPECT_TRUE(f.reports.problems().isEmpty()) << f.reports.problems().join('\n').toStdString();
    EXPECT_FALSE(
        f.reports.lines.filter(QStringLiteral("status: Fletch, beginning function value: "))
            .isEmpty());
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
    }
    // Equating leaves the later models fewer parameters.
    EXPECT_GT(f.study.results.result(0).numParameters(),
              f.study.results.result(f.study.results.count() - 1).numParameters());
}

TEST(ModelEstimatorTest, TheUniqueModelFittedReleaseByReleaseEqualsTheJointFit)
{
    EstimationFixture f;
    const EquatingScheme unique{4, 4};
    auto job = f.job(lum::createOptimizer(QStringLiteral("0")), &f.runner, 1e-9);
    job->setSchemes({unique});
    job->run();
    ASSERT_EQ(f.study.results.count(), 1) << f.reports.problems().join('\n').toStdString();
    // Four releases on parameters of their own: four problems.
    EXPECT_TRUE(f.reports.lines.contains(
        QStringLiteral("status: Fitting 4 independent blocks of parameters")));

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
    lum::CovarianceCalculator(never, ModelEstimator::HessianStep).compute(likelihood, x, joint);

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

TEST(ModelEstimatorTest, ASecondModelFailingInBrentIsReportedAndTheOthersRecorded)
{
    EstimationFixture f;
    auto job = f.job([&](std::vector<double>&) {
        if (f.reports.fitted.size() == 2) {
            throw NR3::NRError("Too many iterations in brent", 0);
        }
    });
    job->setSchemes(kThreeModels);
    job->run();

    EXPECT_EQ(f.reports.problems(),
              QStringList{QStringLiteral("warning: Error estimating parameters: Too many "
                                         "iterations in brent")});
    ASSERT_EQ(f.study.results.count(), 2);
    EXPECT_EQ(f.study.results.scheme(0), kThreeModels[0]);
    EXPECT_EQ(f.study.results.scheme(1), kThreeModels[2]);
    EXPECT_EQ(f.reports.fitted.size(), 3);
}

TEST(ModelEstimatorTest, ABadPointAtTheEndIsNotRecorded)
{
    EstimationFixture f;
    // A coordinate that is not a number leaves a likelihood that is not a number.
    auto job = f.job([](std::vector<double>& x) { x.back() = std::nan(""); }, false);
    job->setSchemes({{1, 1}});
    job->run();
    EXPECT_TRUE(f.study.results.isEmpty());
    EXPECT_EQ(f.reports.problems(), QStringList{QStringLiteral("error: ") + f.name({1, 1}) +
                                                QStringLiteral(": unable to estimate parameters")});
}

TEST(ModelEstimatorTest, ASingularHessianRecordsTheModelWithoutCovariance)
{
    // Release 1 (at site 1) has no fish at all: with every release on its own parameters,
    // the likelihood does not depend on its parameters and the Hessian is singular. The summary
    // is left as it is made, so that nothing is fixed.
    FittedStudy study(QStringLiteral("2 4 1\n0 1\n0 0\n100 0\n\n"
                                     "30\n40\n10\n20\n" // release 0: never seen, sites 1-3
                                     "10\n20\n10 \n"    // seen at 1: never again, at 2, at 3
                                     "8\n12 \n"         // seen at 2
                                     "0\n0\n0\n"        // release 1: never seen, sites 2-3
                                     "0\n0 \n"),
                      false); // release 1 seen at 2
    study.fit({{2, 2}}, lum::createOptimizer(QStringLiteral("0")), 1e-4);

    EXPECT_EQ(study.warnings, QStringList{QStringLiteral("Error estimating covariance matrix: "
                                                         "Singular Hessian in calculating "
                                                         "covariance matrix")});
    ASSERT_EQ(study.results.count(), 1);
    EXPECT_FALSE(study.results.result(0).hasCovariance());
    EXPECT_EQ(study.results.covariance(0), nullptr);
    EXPECT_EQ(study.results.result(0).covariances->lambdaVariance(0, 0, 0), 0.0);
    for (const double value : study.results.estimates(0)) {
        EXPECT_TRUE(std::isfinite(value));
    }
}

TEST(ModelEstimatorTest, TakesTheOptimizerAndEndingCriterionFromTheSettingsWhenMade)
{
    EstimationFixture f;
    const auto makeJob = [&f] {
        return std::make_unique<ModelEstimator>(f.study.data.releases, f.study.data.sites,
                                                f.study.data.years, f.study.catalogue,
                                                f.study.results, f.study.data.counts);
    };
    RivuletSettings& settings = RivuletSettings::instance();
    const QString db = TestEnvironment::freshDir(QStringLiteral("estimator-settings")) +
                       QStringLiteral("/settings.db");
    ASSERT_TRUE(AppStartup::run(StartupOptions{{}, db}).databaseReady);
    settings.setValue(RivuletSettings::Optimizer, QStringLiteral("3;maxFuncEvalualtions=100"));
    settings.setValue(RivuletSettings::EstimationEndingCriterion, 0.01);
    const auto job = makeJob();
    settings.setValue(RivuletSettings::Optimizer,
                      settings.defaultValue(RivuletSettings::Optimizer));
    settings.setValue(RivuletSettings::EstimationEndingCriterion,
                      settings.defaultValue(RivuletSettings::EstimationEndingCriterion));

    EXPECT_EQ(job->optimizer().settingsString(),
              QStringLiteral("3;maxFuncEvalualtions=100;convergenceTolerance=1e-08;stepSize=0.1"));
    EXPECT_DOUBLE_EQ(job->endingCriterion(), 0.01);
    EXPECT_EQ(makeJob()->optimizer().name(), QStringLiteral("Fletch"));
}

TEST(ModelEstimatorTest, StopsWhenCanceledOnTheRunnersThread)
{
    EstimationFixture f;
    QSignalSpy canceled(&f.runner, &lum::ThreadRunner::runCanceled);
    // Canceled from the worker thread while the second model is being fitted.
    // The three models have different numbers of free parameters: a new size is a new model.
    int models = 0;
    std::size_t lastSize = 0;
    auto cancelling = f.job(std::make_unique<ScriptedOptimizer>(
                                [&](std::vector<double>& x) {
                                    if (x.size() != lastSize && ++models == 2) {
                                        f.runner.cancel();
                                    }
                                    lastSize = x.size();
                                },
                                true),
                            &f.runner);
    cancelling->setSchemes(kThreeModels);
    f.runner.setRunnable(cancelling.get());
    f.runner.start();
    ASSERT_TRUE(f.runner.wait(60000));
    EXPECT_EQ(canceled.count(), 1);
    EXPECT_EQ(f.study.results.count(), 1);
}

} // namespace
} // namespace rivulet::test
