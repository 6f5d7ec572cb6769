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

    QComboBox* modelBox() const { return model_; }
    QLineEdit* fishEdit() const { return fish_; }
    QSpinBox* replicatesSpinBox() const { return replicates_; }
    QSpinBox* seedSpinBox() const { return seed_; }
    QLineEdit* targetEdit() const { return target_; }
    QLabel* answerLabel() const { return answer_; }
    QTableWidget* table() const { return table_; }
    QtCharts::QChartView* chartView() const { return chart_; }
    // The last run's job; null before the first.
    const DesignJob* job() const { return job_.get(); }

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

    const Study& study_;
    lum::UserPrompts& prompts_;
    std::unique_ptr<DesignJob> job_;
    QComboBox* model_ = nullptr;
    QLineEdit* fish_ = nullptr;
    QSpinBox* replicates_ = nullptr;
    QSpinBox* seed_ = nullptr;
    QLineEdit* target_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QPushButton* savePicture_ = nullptr;
    QLabel* answer_ = nullptr;
    QTableWidget* table_ = nullptr;
    QtCharts::QChartView* chart_ = nullptr;
};

} // namespace rivulet
