#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <vector>

namespace lum {

class Func;
class OptimizerI;

// Runs an optimizer repeatedly, each run seeded with the previous result, until the objective
// changes by no more than the ending criterion between two runs; reports each run's start and
// end as status messages.
class Estimator : public QObject
{
    Q_OBJECT

public:
    // The optimizer is borrowed and must outlive the estimator.
    Estimator(OptimizerI& optimizer, double endingCriterion, QObject* parent = nullptr);

    const OptimizerI& optimizer() const { return m_optimizer; }

    // Minimises func from x (replaced by the result); at least two optimizer runs. Returns early,
    // with x as the last run left it, once `cancelled` is true. Exceptions of the optimizer
    // (NR3::NRError) pass through.
    void estimate(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled);

    double endingCriterion() const { return m_endingCriterion; }
    // Optimizer runs of the last estimate().
    int runs() const { return m_runs; }
    // Iterations of the runs of the last estimate() that returned; a run that threw counts
    // none, as its optimizer reports its count only on return.
    int iterations() const { return m_iterations; }

signals:
    void statusMessage(QString msg);

public slots:
    void onBeginOptimization(QString optimizerName, double functionValue);
    void onEndOptimization(QString optimizerName, double functionValue, int numIterations);

private:
    bool runOptimizer(Func& func, std::vector<double>& x, const std::atomic<bool>& cancelled);

    OptimizerI& m_optimizer;
    double m_endingCriterion = 0.0001;
    int m_runs = 0;
    int m_iterations = 0;
};

} // namespace lum
