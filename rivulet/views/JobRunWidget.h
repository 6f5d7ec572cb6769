#pragma once

#include "lum/thread/ThreadRunner.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidgetItem;

namespace QtCharts {
class QChartView;
}

namespace lum {
class ThreadRunnable;
}

namespace rivulet {

// A window that runs one job at a time on a runner of its own, with "Run", "Cancel" and a
// progress bar (the subclass places them in its layout): "Run" asks the subclass for the job,
// and the end of the run, complete, canceled or failed, is the subclass's to show. A job reads
// what the window shows (borrowed); a subclass calls stop() in its destructor, before its job
// and what the job reads go.
class JobRunWidget : public QWidget
{
    Q_OBJECT

public:
    explicit JobRunWidget(QWidget* parent = nullptr);
    ~JobRunWidget() override;

    QPushButton* runButton() const { return m_run; }
    QPushButton* cancelButton() const { return m_cancel; }
    QProgressBar* progressBar() const { return m_progress; }
    bool isRunning() const { return m_runner.isRunning(); }

signals:
    // A run has ended (complete, canceled or failed) and the window shows its figures.
    void runFinished();

public slots:
    void startRun();
    void cancelRun();
    // Cancels a run and waits for its end, so that what it reads may change.
    void stop();

protected:
    // The job of a new run on runner(), kept by the subclass; null to start none.
    virtual lum::ThreadRunnable* prepareRun() = 0;
    // The run has ended: `state` is empty when it completed, else "Canceled." or "Failed: ...".
    virtual void showRun(const QString& state) = 0;
    lum::ThreadRunner* runner() { return &m_runner; }

    // The parts such windows share: a read-only table cell (right-aligned for figures), the
    // label that states the figures (wrapped, selectable), and a chart view with room for its
    // title, legend and both axes with their numbers (smaller, Qt Charts elides the axis labels
    // to "...").
    static QTableWidgetItem* tableCell(const QString& text, bool right = true);
    QLabel* newStateLabel(const QString& name, const QString& text);
    QtCharts::QChartView* newChartView(const QString& name, const QString& title,
                                       int minimumHeight);

private slots:
    void onRunComplete();
    void onRunCanceled();
    void onRunFailed(int code, const QString& text);

private:
    void finish(const QString& state);

    lum::ThreadRunner m_runner;
    QPushButton* m_run = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
};

} // namespace rivulet
