#include "TestFunctions.h"

#include "lum/estimation/Estimator.h"
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
    std::size_t runs() const { return m_runs; }

private:
    std::vector<std::vector<double>> m_results;
    std::size_t m_runs = 0;
    std::size_t m_cancelAtRun = 1000;
    std::atomic<bool>* m_cancel = nullptr;
};

double parabola(const std::vector<double>& x)
{
    return (x[0] - 3.0) * (x[0] - 3.0) + 2.5;
}

// Estimates the parabola from x = 1; the status messages in order.
QStringList estimate(lum::OptimizerI& optimizer, std::vector<double>& x,
                     const std::atomic<bool>& cancelled)
{
    lum::Estimator estimator(optimizer, 0.0001);
    QSignalSpy status(&estimator, &lum::Estimator::statusMessage);
    rivulet::test::LambdaFunc func(parabola);
    x = {1.0};
    estimator.estimate(func, x, cancelled);
    QStringList list;
    for (const QList<QVariant>& arguments : status)
        list << arguments[0].toString();
    return list;
}

const QString reseeding = QStringLiteral("Re-estimating using previous estimates as seeds...");
const std::atomic<bool> never{false};

TEST(Estimator, ARepeatedResultEndsAfterExactlyTwoRuns)
{
    MockOptimizer optimizer({{4.0}});
    std::vector<double> x;
    EXPECT_EQ(estimate(optimizer, x, never),
              QStringList({"Mock, beginning function value: 6.5",
                           "Mock, ending function value: 3.5, number of iterations: 7", reseeding,
                           "Mock, beginning function value: 3.5",
                           "Mock, ending function value: 3.5, number of iterations: 7"}));
    EXPECT_EQ(optimizer.runs(), 2u);
    EXPECT_EQ(x, std::vector<double>({4.0}));
}

TEST(Estimator, RerunsUntilTheChangeIsWithinTheEndingCriterion)
{
    // Values 3.5, 2.75, 2.50005, 2.5000400...: the change after the fourth run is 1e-5.
    MockOptimizer optimizer({{4.0}, {3.5}, {3.007071}, {3.0063246}});
    std::vector<double> x;
    EXPECT_EQ(estimate(optimizer, x, never).count(reseeding), 3);
    EXPECT_EQ(optimizer.runs(), 4u);
    EXPECT_EQ(x, std::vector<double>({3.0063246}));
}

TEST(Estimator, CancellationDuringARunEndsTheEstimateWithThatRunsResult)
{
    std::atomic<bool> cancelled{false};
    MockOptimizer optimizer({{4.0}, {3.5}, {3.2}});
    optimizer.cancelAtRun(1, &cancelled);
    std::vector<double> x;
    estimate(optimizer, x, cancelled);
    EXPECT_EQ(optimizer.runs(), 2u);
    EXPECT_EQ(x, std::vector<double>({3.5}));
}

} // namespace
