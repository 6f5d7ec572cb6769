#include "rivulet/views/ReportPanel.h"

#include "lum/thread/ThreadRunner.h"
#include "lum/ui/LumMainWindow.h"
#include "rivulet/reports/ModelAverageReport.h"
#include "rivulet/reports/ModelReport.h"
#include "rivulet/reports/ReleaseSummaryReport.h"
#include "rivulet/results/CsvRenderer.h"
#include "rivulet/results/ModelDescription.h"
#include "rivulet/results/ModelSelectionCriterion.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"
#include "rivulet/views/ModelEstimateItem.h"

#include <QIcon>
#include <QMdiSubWindow>

#include <algorithm>
#include <array>

namespace rivulet {

namespace {

constexpr std::array<ReportKind, 3> modelReports = {ReportKind::Survival, ReportKind::Capture,
                                                    ReportKind::Performance};

ModelDocuments::Kind documentOf(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Survival:
        return ModelDocuments::Kind::Survival;
    case ReportKind::Capture:
        return ModelDocuments::Kind::Capture;
    default:
        return ModelDocuments::Kind::Performance;
    }
}

int precisionOfEstimates()
{
    return RivuletSettings::instance().estimatePrecision();
}

int precisionOfErrors()
{
    return RivuletSettings::instance().errorPrecision();
}

} // namespace

ReportPanel::ReportPanel(lum::LumMainWindow& window, Study& study, SelectedModel selected)
    : QObject(&window), m_window(window), m_study(study), m_selected(std::move(selected)),
      m_runner(std::make_unique<lum::ThreadRunner>())
{
    connect(m_runner.get(), &QThread::finished, this, &ReportPanel::onRunnerFinished);
    auto summary =
        std::make_unique<ReleaseSummaryReport>(m_study.releases(), m_study.sites(), m_study.years(),
                                               m_study.nextDetections(), nullptr, m_runner.get());
    summary->setName(summary->reportTitle());
    m_releaseSummary = summary.get();
    m_window.addReport(ReportKind::ReleaseSummary, std::move(summary));
}

ReportPanel::~ReportPanel()
{
    if (m_runner->isRunning()) {
        m_runner->cancel();
        m_runner->wait();
    }
    m_runner->disconnect(this);
}

bool ReportPanel::isModelReport(ReportKind kind)
{
    return std::find(modelReports.begin(), modelReports.end(), kind) != modelReports.end();
}

ModelReport* ReportPanel::modelReport(ReportKind kind) const
{
    return qobject_cast<ModelReport*>(m_window.report(kind));
}

void ReportPanel::setReportedModel(ModelReport& report) const
{
    if (const ModelEstimateItem* model = m_selected())
        report.setModel(ModelDescription::of(m_study.catalogue(), model->key()), model->result());
    else
        report.clearModel();
}

lum::QtReport* ReportPanel::ensure(ReportKind kind)
{
    if (lum::QtReport* existing = m_window.report(kind))
        return existing;
    if (!isModelReport(kind))
        return nullptr;
    auto created =
        std::make_unique<ModelReport>(documentOf(kind), m_study.releases(), m_study.sites(),
                                      m_study.years(), m_study.summary(), nullptr, m_runner.get());
    created->setPrecisions(precisionOfEstimates(), precisionOfErrors());
    created->setName(created->reportTitle());
    setReportedModel(*created);
    ModelReport* made = created.get();
    m_window.addReport(kind, std::move(created));
    return made;
}

void ReportPanel::show(ReportKind kind)
{
    if (kind == ReportKind::ModelAverage) {
        auto* shown = qobject_cast<ModelAverageReport*>(m_window.report(kind));
        if (!shown) {
            auto created = std::make_unique<ModelAverageReport>(
                m_study.releases(), m_study.sites(), m_study.years(), m_study.catalogue(),
                m_study.summary(), m_study.nextDetections(), m_study.results(), m_runner.get());
            created->setName(created->reportTitle());
            shown = created.get();
            m_window.addReport(kind, std::move(created));
        }
        shown->setPrecisions(precisionOfEstimates(), precisionOfErrors());
        shown->setParameterCount(ModelSelectionCriterion::countFromSettings());
        if (m_runner->isRunning())
            m_runner->wait();
        shown->run();
        showWindow(kind, shown->name(), QRect(100, 100, 760, 400));
        shown->updateText();
        m_window.showSubWindow(kind);
        m_window.updateReportActions(m_window.subWindow(kind));
        return;
    }
    auto* shown = qobject_cast<ModelReport*>(ensure(kind));
    if (!shown)
        return;
    setReportedModel(*shown);
    shown->setPrecisions(precisionOfEstimates(), precisionOfErrors());
    if (m_runner->isRunning())
        m_runner->wait();
    shown->run();
    showWindow(kind, shown->name(), QRect(100, 100, 600, 400));
    shown->updateText();
    m_window.showSubWindow(kind);
    m_window.updateReportActions(m_window.subWindow(kind));
}

void ReportPanel::showWindow(ReportKind kind, const QString& title, const QRect& geometry)
{
    if (m_window.subWindow(kind))
        return;
    QMdiSubWindow* window = m_window.addReportWindow(kind, kind);
    window->setWindowTitle(title);
    window->setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    m_window.placeSubWindow(window, geometry);
}

void ReportPanel::refresh()
{
    const int estimates = precisionOfEstimates();
    const int errors = precisionOfErrors();
    QList<lum::ThreadRunnable*> visible;
    for (ReportKind kind : modelReports) {
        ModelReport* shown = modelReport(kind);
        if (!shown)
            continue;
        shown->setPrecisions(estimates, errors);
        setReportedModel(*shown);
        QMdiSubWindow* window = m_window.subWindow(kind);
        if (window && window->isVisible())
            visible << shown;
        else
            shown->setDirty(true);
    }
    if (visible.isEmpty())
        return;
    if (m_runner->isRunning())
        m_runner->wait();
    m_runner->setRunnables(visible);
    m_runner->start();
}

void ReportPanel::onRunnerFinished()
{
    for (lum::ThreadRunnable* job : m_runner->runnables()) {
        for (ReportKind kind : modelReports) {
            if (m_window.report(kind) != job)
                continue;
            m_window.report(kind)->updateText();
            m_window.showSubWindow(kind);
        }
    }
}

void ReportPanel::dropResults()
{
    for (ReportKind kind : modelReports)
        m_window.removeReport(kind);
    m_window.removeReport(ReportKind::ModelAverage);
}

void ReportPanel::removeAll()
{
    if (m_runner->isRunning()) {
        m_runner->cancel();
        m_runner->wait();
    }
    dropResults();
    m_window.removeReport(ReportKind::ReleaseSummary);
    m_releaseSummary = nullptr;
}

std::optional<QString> ReportPanel::csv(ReportKind kind)
{
    if (kind == ReportKind::ModelAverage)
        return StudyActions(m_study, *m_runner)
            .averagedEstimates(ModelSelectionCriterion::countFromSettings())
            .csv();
    if (!isModelReport(kind))
        return std::nullopt;
    QString text;
    if (ModelReport* shown = modelReport(kind)) {
        // The model shown now, even when its window has not been brought up to date.
        setReportedModel(*shown);
        if (const std::optional<ReportDocument> document = shown->buildModelDocument())
            text = CsvRenderer::render(*document);
    }
    return text;
}

} // namespace rivulet
