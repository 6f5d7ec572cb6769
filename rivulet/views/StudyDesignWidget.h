#pragma once

#include "rivulet/views/JobRunWidget.h"

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace QtCharts {
class QChartView;
}

namespace lum {
class UserPrompts;
}

namespace rivulet {

class DesignJob;
class Study;

// The "Study Design" window: how many fish per release a chosen precision needs. A fitted
// model of the study (the best by default) is taken as the truth; for each number of fish,
// simulated studies of the same design are fitted (DesignJob) on a runner of the window's own,
// with progress and "Cancel". It shows a chart of the CV against the fish per release (the
// simulated one, solid, and the one of the expected information, dashed) with the target as a
// line, the answer to the target, and the table of every quantity; both save, as CSV and as a
// PNG picture. The study and its results (borrowed) must not change while it runs: the window
// is closed before they do, which cancels the run and waits for it.
class StudyDesignWidget : public JobRunWidget
{
    Q_OBJECT

public:
    StudyDesignWidget(const Study& study, lum::UserPrompts& prompts, QWidget* parent = nullptr);
    ~StudyDesignWidget() override;

    QComboBox* modelBox() const { return m_model; }
    QLineEdit* fishEdit() const { return m_fish; }
    QSpinBox* replicatesSpinBox() const { return m_replicates; }
    QSpinBox* seedSpinBox() const { return m_seed; }
    QLineEdit* targetEdit() const { return m_target; }
    QLabel* answerLabel() const { return m_answer; }
    QTableWidget* table() const { return m_table; }
    QtCharts::QChartView* chartView() const { return m_chart; }
    // The last run's job; null before the first.
    const DesignJob* job() const { return m_job.get(); }

public slots:
    // Ask for a file name and save; false when nothing was saved.
    bool saveCsv();
    bool savePicture();

protected:
    lum::ThreadRunnable* prepareRun() override;
    void showRun(const QString& state) override;

private:
    void showTable();
    void showChart();
    void showAnswer(const QString& state);

    const Study& m_study;
    lum::UserPrompts& m_prompts;
    std::unique_ptr<DesignJob> m_job;
    QComboBox* m_model = nullptr;
    QLineEdit* m_fish = nullptr;
    QSpinBox* m_replicates = nullptr;
    QSpinBox* m_seed = nullptr;
    QLineEdit* m_target = nullptr;
    QPushButton* m_saveCsv = nullptr;
    QPushButton* m_savePicture = nullptr;
    QLabel* m_answer = nullptr;
    QTableWidget* m_table = nullptr;
    QtCharts::QChartView* m_chart = nullptr;
};

} // namespace rivulet
