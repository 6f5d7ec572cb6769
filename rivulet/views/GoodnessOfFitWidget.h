#pragma once

#include "rivulet/views/JobRunWidget.h"

#include <memory>

class QLabel;
class QSpinBox;
class QTableWidget;

namespace QtCharts {
class QChartView;
}

namespace rivulet {

class GofJob;
class Study;

// The "Goodness of Fit" window: the component tests of the study's next-detection counts, the
// ĉ figures (the tests' X²/df, Fletcher's ĉ of the most general model, the bootstrap ĉ and its
// p) and a histogram of the bootstrap's simulated deviances with the observed one marked. "Run"
// computes them on a runner of the window's own, with progress and "Cancel"; the number of
// replicates starts from the setting gof_bootstrap_replicates. The study (borrowed) must not
// change while it runs: the window is closed before the data change, which cancels the run
// and waits for it.
class GoodnessOfFitWidget : public JobRunWidget
{
    Q_OBJECT

public:
    explicit GoodnessOfFitWidget(const Study& study, QWidget* parent = nullptr);
    ~GoodnessOfFitWidget() override;

    QSpinBox* replicatesSpinBox() const { return m_replicates; }
    QSpinBox* seedSpinBox() const { return m_seed; }
    QTableWidget* componentTable() const { return m_table; }
    QLabel* chatLabel() const { return m_chat; }
    QtCharts::QChartView* chartView() const { return m_chart; }
    // The last run's job; null before the first.
    const GofJob* job() const { return m_job.get(); }

protected:
    lum::ThreadRunnable* prepareRun() override;
    void showRun(const QString& state) override;

private:
    void showComponents();
    void showChat(const QString& state);
    void showHistogram();

    const Study& m_study;
    std::unique_ptr<GofJob> m_job;
    QSpinBox* m_replicates = nullptr;
    QSpinBox* m_seed = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_chat = nullptr;
    QtCharts::QChartView* m_chart = nullptr;
};

} // namespace rivulet
