#include "TestFunctions.h"

#include "lum/estimation/Estimator.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Moves x to scripted points, one per run (the last one repeats), with both signals.
class MockOptimizer : public lum::OptimizerI
{
public:
    MockOptimizer(std::initializer_list<std::vector<double>> results)
        : OptimizerI(QStringLiteral("Mock"), 9, nullptr), m_results(results)
    {
    }

    void optimize(lum::Func& func, std::vector<double>& x, const std::atomic<bool>& /*cancelled*/,
                  int& iterations) override
    {
        announceBegin(func, x);
        if (m_cancelAtRun == m_runs && m_cancel != nullptr)
            *m_cancel = true;
        if (m_failAtRun == m_runs)
            throw NR3::NRError("Too many iterations in brent");
        x = m_results[std::min(m_runs, m_results.size() - 1)];
        ++m_runs;
        iterations = 7;
        announceEnd(func, x, iterations);
    }

    void cancelAtRun(std::size_t run, std::atomic<bool>* flag)
    {
        m_cancelAtRun = run;
        m_cancel = flag;
    }
    void failAtRun(std::size_t run) { m_failAtRun = run; }
    std::size_t runs() const { return m_runs; }

private:
    std::vector<std::vector<double>> m_results;
    std::size_t m_runs = 0;
    std::size_t m_cancelAtRun = 1000;
    std::size_t m_failAtRun = 1000;
    std::atomic<bool>* m_cancel = nullptr;
};

double parabola(const std::vector<double>& x)
{
    return (x[0] - 3.0) * (x[0] - 3.0) + 2.5;
}

QStringList messages(const QSignalSpy& spy)
{
    QStringList list;
    for (const QList<QVariant>& arguments : spy)
        list << arguments[0].toString();
    return list;
}

const QString reseeding = QStringLiteral("Re-estimating using previous estimates as seeds...");

TEST(Estimator, ARepeatedResultEndsAfterExactlyTwoRuns)
{
    MockOptimizer optimizer({{4.0}});
    lum::Estimator estimator(optimizer, 0.0001);
    QSignalSpy status(&estimator, &lum::Estimator::statusMessage);
    rivulet::test::LambdaFunc func(parabola);
    std::vector<double> x{1.0};
    const std::atomic<bool> cancelled{false};
    estimator.estimate(func, x, cancelled);

    EXPECT_EQ(optimizer.runs(), 2u);
    EXPECT_EQ(estimator.runs(), 2);
    EXPECT_EQ(x, std::vector<double>({4.0}));
    EXPECT_EQ(messages(status),
              QStringList({"Mock, beginning function value: 6.5",
                           "Mock, ending function value: 3.5, number of iterations: 7", reseeding,
                           "Mock, beginning function value: 3.5",
                           "Mock, ending function value: 3.5, number of iterations: 7"}));
}

TEST(Estimator, RerunsUntilTheChangeIsWithinTheEndingCriterion)
{
    // Values 3.5, 2.75, 2.50005, 2.5000400...: the change after the fourth run is 1e-5.
    MockOptimizer optimizer({{4.0}, {3.5}, {3.007071}, {3.0063246}});
    lum::Estimator estimator(optimizer, 0.0001);
    QSignalSpy status(&estimator, &lum::Estimator::statusMessage);
    rivulet::test::LambdaFunc func(parabola);
    std::vector<double> x{1.0};
    const std::atomic<bool> cancelled{false};
    estimator.estimate(func, x, cancelled);

    EXPECT_EQ(optimizer.runs(), 4u);
    EXPECT_EQ(messages(status).count(reseeding), 3);
    EXPECT_EQ(x, std::vector<double>({3.0063246}));
}

TEST(Estimator, CancellationDuringARunEndsTheEstimate)
{
    std::atomic<bool> cancelled{false};
    MockOptimizer optimizer({{4.0}, {3.5}, {3.2}});
    optimizer.cancelAtRun(0, &cancelled);
    lum::Estimator estimator(optimizer, 0.0001);
    QSignalSpy status(&estimator, &lum::Estimator::statusMessage);
    rivulet::test::LambdaFunc func(parabola);
    std::vector<double> x{1.0};
    estimator.estimate(func, x, cancelled);
    EXPECT_EQ(optimizer.runs(), 1u);
    EXPECT_EQ(messages(status).count(reseeding), 0);

    cancelled = false;
    MockOptimizer second({{4.0}, {3.5}, {3.2}});
    second.cancelAtRun(1, &cancelled);
    lum::Estimator secondEstimator(second, 0.0001);
    secondEstimator.estimate(func, x, cancelled);
    EXPECT_EQ(second.runs(), 2u);
    EXPECT_EQ(x, std::vector<double>({3.5}));
}

TEST(Estimator, OptimizerErrorsPassThrough)
{
    MockOptimizer optimizer({{4.0}, {3.5}});
    optimizer.failAtRun(1);
    lum::Estimator estimator(optimizer, 0.0001);
    rivulet::test::LambdaFunc func(parabola);
    std::vector<double> x{1.0};
    const std::atomic<bool> cancelled{false};
    try {
        estimator.estimate(func, x, cancelled);
        ADD_FAILURE() << "no error";
    } catch (const NR3::NRError& e) {
        EXPECT_STREQ(e.message, "Too many iterations in brent");
    }
    EXPECT_EQ(x, std::vector<double>({4.0}));
}

TEST(Estimator, RealOptimizersEstimateTheMinimum)
{
    for (const int id : {0, 1, 2, 3}) {
        std::unique_ptr<lum::OptimizerI> optimizer = lum::createOptimizer(QString::number(id));
        lum::Estimator estimator(*optimizer, 0.0001);
        std::unique_ptr<rivulet::test::Quadratic> func = rivulet::test::standardQuadratic();
        std::vector<double> x(5, 0.5);
        const std::atomic<bool> cancelled{false};
        estimator.estimate(*func, x, cancelled);
        EXPECT_GE(estimator.runs(), 2) << id;
        EXPECT_LT(rivulet::test::maxDifference(x, func->centre()), 1e-4) << id;
    }
}

} // namespace
