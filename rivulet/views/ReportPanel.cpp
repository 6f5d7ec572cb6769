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
    : QObject(&window), window_(window), study_(study), selected_(std::move(selected)),
      runner_(std::make_unique<lum::ThreadRunner>())
{
    connect(runner_.get(), &QThread::finished, this, &ReportPanel::onRunnerFinished);
    auto summary =
        std::make_unique<ReleaseSummaryReport>(study_.releases(), study_.sites(), study_.years(),
                                               study_.nextDetections(), nullptr, runner_.get());
    summary->setName(summary->reportTitle());
    releaseSummary_ = summary.get();
    window_.addReport(ReportKind::ReleaseSummary, std::move(summary));
}

ReportPanel::~ReportPanel()
{
    if (runner_->isRunning()) {
        runner_->cancel();
        runner_->wait();
    }
    runner_->disconnect(this);
}

bool ReportPanel::isModelReport(ReportKind kind)
{
    return std::find(modelReports.begin(), modelReports.end(), kind) != modelReports.end();
}

ModelReport* ReportPanel::modelReport(ReportKind kind) const
{
    return qobject_cast<ModelReport*>(window_.report(kind));
}

void ReportPanel::setReportedModel(ModelReport& report) const
{
    if (const ModelEstimateItem* model = selected_())
        report.setModel(ModelDescription::of(study_.catalogue(), model->key()), model->result());
    else
        report.clearModel();
}

lum::QtReport* ReportPanel::ensure(ReportKind kind)
{
    if (lum::QtReport* existing = window_.report(kind))
        return existing;
    if (!isModelReport(kind))
        return nullptr;
    auto created =
        std::make_unique<ModelReport>(documentOf(kind), study_.releases(), study_.sites(),
                                      study_.years(), study_.summary(), nullptr, runner_.get());
    created->setPrecisions(precisionOfEstimates(), precisionOfErrors());
    created->setName(created->reportTitle());
    setReportedModel(*created);
    ModelReport* made = created.get();
    window_.addReport(kind, std::move(created));
    return made;
}

void ReportPanel::show(ReportKind kind)
{
    if (kind == ReportKind::ModelAverage) {
        auto* shown = qobject_cast<ModelAverageReport*>(window_.report(kind));
        if (!shown) {
            auto created = std::make_unique<ModelAverageReport>(
                study_.releases(), study_.sites(), study_.years(), study_.catalogue(),
                study_.summary(), study_.nextDetections(), study_.results(), runner_.get());
            created->setName(created->reportTitle());
            shown = created.get();
            window_.addReport(kind, std::move(created));
        }
        shown->setPrecisions(precisionOfEstimates(), precisionOfErrors());
        shown->setParameterCount(ModelSelectionCriterion::countFromSettings());
        if (runner_->isRunning())
            runner_->wait();
        shown->run();
        showWindow(kind, shown->name(), QRect(100, 100, 760, 400));
        shown->updateText();
        window_.showSubWindow(kind);
        window_.updateReportActions(window_.subWindow(kind));
        return;
    }
    auto* shown = qobject_cast<ModelReport*>(ensure(kind));
    if (!shown)
        return;
    setReportedModel(*shown);
    shown->setPrecisions(precisionOfEstimates(), precisionOfErrors());
    if (runner_->isRunning())
        runner_->wait();
    shown->run();
    showWindow(kind, shown->name(), QRect(100, 100, 600, 400));
    shown->updateText();
    window_.showSubWindow(kind);
    window_.updateReportActions(window_.subWindow(kind));
}

void ReportPanel::showWindow(ReportKind kind, const QString& title, const QRect& geometry)
{
    if (window_.subWindow(kind))
        return;
    QMdiSubWindow* window = window_.addReportWindow(kind, kind);
    window->setWindowTitle(title);
    window->setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    window_.placeSubWindow(window, geometry);
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
        QMdiSubWindow* window = window_.subWindow(kind);
        if (window && window->isVisible())
            visible << shown;
        else
            shown->setDirty(true);
    }
    if (visible.isEmpty())
        return;
    if (runner_->isRunning())
        runner_->wait();
    runner_->setRunnables(visible);
    runner_->start();
}

void ReportPanel::onRunnerFinished()
{
    for (lum::ThreadRunnable* job : runner_->runnables()) {
        for (ReportKind kind : modelReports) {
            if (window_.report(kind) != job)
                continue;
            window_.report(kind)->updateText();
            window_.showSubWindow(kind);
        }
    }
}

void ReportPanel::dropResults()
{
    for (ReportKind kind : modelReports)
        window_.removeReport(kind);
    window_.removeReport(ReportKind::ModelAverage);
}

void ReportPanel::removeAll()
{
    if (runner_->isRunning()) {
        runner_->cancel();
        runner_->wait();
    }
    dropResults();
    window_.removeReport(ReportKind::ReleaseSummary);
    releaseSummary_ = nullptr;
}

std::optional<QString> ReportPanel::csv(ReportKind kind)
{
    if (kind == ReportKind::ModelAverage)
        return StudyActions(study_, *runner_)
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
