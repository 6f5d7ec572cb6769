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
    m_run = new QPushButton(QStringLiteral("Run"), this);
    m_run->setObjectName(QStringLiteral("runButton"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setEnabled(false);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    connect(m_run, &QPushButton::clicked, this, &JobRunWidget::startRun);
    connect(m_cancel, &QPushButton::clicked, this, &JobRunWidget::cancelRun);
    connect(&m_runner, &lum::ThreadRunner::percentComplete, m_progress, &QProgressBar::setValue);
    connect(&m_runner, &lum::ThreadRunner::runComplete, this, &JobRunWidget::onRunComplete);
    connect(&m_runner, &lum::ThreadRunner::runCanceled, this, &JobRunWidget::onRunCanceled);
    connect(&m_runner, &lum::ThreadRunner::runFailed, this, &JobRunWidget::onRunFailed);
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
    if (m_runner.isRunning())
        m_runner.cancel();
    m_runner.wait();
}

void JobRunWidget::startRun()
{
    if (m_runner.isRunning())
        return;
    m_runner.wait();
    lum::ThreadRunnable* job = prepareRun();
    if (!job)
        return;
    m_progress->setValue(0);
    m_run->setEnabled(false);
    m_cancel->setEnabled(true);
    m_runner.setRunnable(job);
    m_runner.start();
}

void JobRunWidget::cancelRun()
{
    m_runner.cancel();
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
    m_runner.wait();
    m_run->setEnabled(true);
    m_cancel->setEnabled(false);
    if (state.isEmpty())
        m_progress->setValue(100);
    showRun(state);
    emit runFinished();
}

} // namespace rivulet
