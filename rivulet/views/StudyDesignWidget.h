#pragma once

#include "lum/thread/ThreadRunner.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
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
class StudyDesignWidget : public QWidget
{
    Q_OBJECT

public:
    StudyDesignWidget(const Study& study, lum::UserPrompts& prompts, QWidget* parent = nullptr);
    ~StudyDesignWidget() override;

    QComboBox* modelBox() const { return model_; }
    QLineEdit* fishEdit() const { return fish_; }
    QSpinBox* replicatesSpinBox() const { return replicates_; }
    QSpinBox* seedSpinBox() const { return seed_; }
    QLineEdit* targetEdit() const { return target_; }
    QPushButton* runButton() const { return run_; }
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* answerLabel() const { return answer_; }
    QTableWidget* table() const { return table_; }
    QtCharts::QChartView* chartView() const { return chart_; }
    bool isRunning() const { return runner_.isRunning(); }
    // The last run's job; null before the first.
    const DesignJob* job() const { return job_.get(); }

signals:
    // A run has ended (complete, canceled or failed) and the window shows its figures.
    void runFinished();

public slots:
    void startRun();
    void cancelRun();
    // Cancels a run and waits for its end, so that the study may change.
    void stop();
    // Ask for a file name and save; false when nothing was saved.
    bool saveCsv();
    bool savePicture();

private slots:
    void onRunComplete();
    void onRunCanceled();
    void onRunFailed(int code, const QString& text);

private:
    void finish(const QString& state);
    void showTable();
    void showChart();
    void showAnswer(const QString& state);

    const Study& study_;
    lum::UserPrompts& prompts_;
    lum::ThreadRunner runner_;
    std::unique_ptr<DesignJob> job_;
    QComboBox* model_ = nullptr;
    QLineEdit* fish_ = nullptr;
    QSpinBox* replicates_ = nullptr;
    QSpinBox* seed_ = nullptr;
    QLineEdit* target_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QPushButton* savePicture_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* answer_ = nullptr;
    QTableWidget* table_ = nullptr;
    QtCharts::QChartView* chart_ = nullptr;
};

} // namespace rivulet
