#include "rivulet/views/JobRunWidget.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidgetItem>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

namespace rivulet {

JobRunWidget::JobRunWidget(QWidget* parent) : QWidget(parent)
{
    run_ = new QPushButton(QStringLiteral("Run"), this);
    run_->setObjectName(QStringLiteral("runButton"));
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setEnabled(false);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    connect(run_, &QPushButton::clicked, this, &JobRunWidget::startRun);
    connect(cancel_, &QPushButton::clicked, this, &JobRunWidget::cancelRun);
    connect(&runner_, &lum::ThreadRunner::percentComplete, progress_, &QProgressBar::setValue);
    connect(&runner_, &lum::ThreadRunner::runComplete, this, &JobRunWidget::onRunComplete);
    connect(&runner_, &lum::ThreadRunner::runCanceled, this, &JobRunWidget::onRunCanceled);
    connect(&runner_, &lum::ThreadRunner::runFailed, this, &JobRunWidget::onRunFailed);
}

JobRunWidget::~JobRunWidget()
{
    stop();
}

QTableWidgetItem* JobRunWidget::tableCell(const QString& text, bool right)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (right)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QLabel* JobRunWidget::newStateLabel(const QString& name, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QtCharts::QChartView* JobRunWidget::newChartView(const QString& name, const QString& title,
                                                 int minimumHeight)
{
    auto* view = new QtCharts::QChartView(new QtCharts::QChart, this);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(minimumHeight);
    view->chart()->setMargins(QMargins(4, 4, 4, 4));
    view->chart()->setTitle(title);
    return view;
}

void JobRunWidget::stop()
{
    if (runner_.isRunning())
        runner_.cancel();
    runner_.wait();
}

void JobRunWidget::startRun()
{
    if (runner_.isRunning())
        return;
    runner_.wait();
    lum::ThreadRunnable* job = prepareRun();
    if (!job)
        return;
    progress_->setValue(0);
    run_->setEnabled(false);
    cancel_->setEnabled(true);
    runner_.setRunnable(job);
    runner_.start();
}

void JobRunWidget::cancelRun()
{
    runner_.cancel();
}

void JobRunWidget::onRunComplete()
{
    finish(QString());
}

void JobRunWidget::onRunCanceled()
{
    finish(QStringLiteral("Canceled."));
}

void JobRunWidget::onRunFailed(int, const QString& text)
{
    finish(QStringLiteral("Failed: ") + text);
}

void JobRunWidget::finish(const QString& state)
{
    // The runner reports from inside its thread; wait for the thread before reading the job.
    runner_.wait();
    run_->setEnabled(true);
    cancel_->setEnabled(false);
    if (state.isEmpty())
        progress_->setValue(100);
    showRun(state);
    emit runFinished();
}

} // namespace rivulet
