#pragma once

#include "rivulet/views/WindowKeys.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QMdiSubWindow;

namespace lum {
class LumMainWindow;
class QtReport;
class ThreadRunner;
} // namespace lum

namespace rivulet {

class ModelEstimateItem;
class ModelReport;
class ReleaseSummaryReport;
class Study;

// The window's reports: the releases summary, the three reports of the selected model and the
// model-averaged estimates. It makes them on first request, registers them with the window
// (which owns them) under their kind, shows them in their sub-windows, brings them up to date
// on their own runner when the model or the precision changes, and gives their CSV text.
class ReportPanel : public QObject
{
    Q_OBJECT

public:
    using SelectedModel = std::function<const ModelEstimateItem*()>;

    // `window` and `study` are borrowed and must outlive the panel; `selected` says which model
    // the model reports show (null: none).
    ReportPanel(lum::LumMainWindow& window, Study& study, SelectedModel selected);
    ~ReportPanel() override;

    lum::ThreadRunner& runner() const { return *m_runner; }
    // Made with the panel, shown in its dock.
    ReleaseSummaryReport& releaseSummary() const { return *m_releaseSummary; }

    // The report of a kind, made on first request (the three model reports only).
    lum::QtReport* ensure(ReportKind kind);
    // Shows a model report, or the model-averaged estimates, up to date.
    void show(ReportKind kind);
    // The model reports take the selected model and the precisions of the settings; those
    // shown are run again, the others when next shown.
    void refresh();
    // Drops the model reports and the averaged estimates (and their windows).
    void dropResults();
    // Removes every report, ahead of the study they read.
    void removeAll();
    // The CSV text of the report of that kind as shown now; null when it is none of these
    // reports.
    std::optional<QString> csv(ReportKind kind);

    static bool isModelReport(ReportKind kind);
    // Whether the report of that kind has a CSV text.
    static bool hasCsv(ReportKind kind)
    {
        return isModelReport(kind) || kind == ReportKind::ModelAverage;
    }

private:
    void onRunnerFinished();
    ModelReport* modelReport(ReportKind kind) const;
    // The selected model, or none, as the model of a report.
    void setReportedModel(ModelReport& report) const;
    void showWindow(ReportKind kind, const QString& title, const QRect& geometry);

    lum::LumMainWindow& m_window;
    Study& m_study;
    SelectedModel m_selected;
    std::unique_ptr<lum::ThreadRunner> m_runner;
    ReleaseSummaryReport* m_releaseSummary = nullptr; // registered with the window
};

} // namespace rivulet
