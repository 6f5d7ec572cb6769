#pragma once

#include "lum/ui/LumMainWindow.h"
#include "rivulet/model/EquatingScheme.h"
#include "rivulet/study/StudySession.h"
#include "rivulet/views/ReportPanel.h"
#include "rivulet/views/ViewFactory.h"
#include "rivulet/views/WindowKeys.h"
#include "rivulet/views/WindowNavigation.h"

#include <functional>
#include <memory>
#include <optional>

class QProgressDialog;
class QSplashScreen;

namespace rivulet {

class ModelEstimateItem;
class ModelEstimateModel;
class ReleaseSummaryReport;
class RivuletDb;
class ManualWindow;
class RivuletInfoDialog;
class StudyFileMenu;

// The program's main window. It shows the study session of this run: every menu action and
// navigation entry starts one of the study's flows (load observations or simulated data, load
// ages, derive detection sequences, fit all models, select a model, reports, save next
// detections, clear all data) on the session, and the window shows its progress, its outcome
// and the views of its data. Entries are enabled as the data set goes from empty to loaded to
// estimated, and every step is written to the output dock.
class RivuletWindow : public lum::LumMainWindow
{
    Q_OBJECT

public:
    // What runs on the main runner.
    using Run = StudySession::Run;

    // `splash` is shown and closed by the window, not owned; `rdb` (borrowed, open) holds the
    // study unless the settings ask for simulated data ("--counts"). `sitesConfigPath` replaces
    // the shared sites configuration file when not empty.
    RivuletWindow(QSplashScreen* splash, RivuletDb& rdb, QWidget* parent = nullptr,
                  const QString& name = QStringLiteral("Rivulet"), Qt::WindowFlags flags = {},
                  const QString& sitesConfigPath = QString());
    ~RivuletWindow() override;

    Study& study() const { return m_session->study(); }
    ModelEstimateModel& modelTree() const { return *m_modelTree; }
    lum::ThreadRunner& reportRunner() const { return m_reports->runner(); }
    bool readsCountsFile() const { return m_countsFile; }
    bool hasData() const { return m_session->hasData(); }
    bool hasAgeData() const { return m_session->hasAgeData(); }
    Run runKind() const { return m_session->running(); }
    const std::optional<EquatingScheme>& currentModel() const { return m_currentModel; }
    ModelEstimateItem* selectedModelItem() const { return m_selectedModelItem; }
    const QString& sitesConfigPath() const { return m_sitesConfigPath; }
    // The report of a kind, created on first request (the three model reports).
    lum::QtReport* ensureReport(ReportKind kind);
    ReleaseSummaryReport* releaseSummaryReport() const { return &m_reports->releaseSummary(); }
    RivuletInfoDialog* aboutDialog() const { return m_aboutDialog; }
    // The panel's item of an entry, or of a catalogue model; null when it is not shown.
    lum::NavPanelItem* navItem(const NavEntry& entry) const { return m_navigation.item(entry); }
    lum::NavPanelItem* navItem(const EquatingScheme& model) const
    {
        return m_navigation.item(model);
    }
    // Help > "Rivulet Manual"; null until first shown.
    ManualWindow* manualWindow() const { return m_manual; }
    // The study entries of the File menu; null with simulated data.
    StudyFileMenu* studyFileMenu() const { return m_studyFileMenu; }
    // Makes the database file at `path` (created when missing) the open study: the windows of
    // the study close, the study is read from the file, and its kept fits are shown. False,
    // with the reason told, when it cannot be used; the study open before then stays.
    bool openStudyFile(const QString& path);
    // Does what the entry does, as its item in the panel or in a menu would.
    void openEntry(const NavEntry& entry);
    // Another flow: the entry (borrowed; it must outlive the window) joins the panel after the
    // others.
    void addNavEntry(const NavEntry& entry);

public slots:
    void splashScreenTimeout();
    void onShowSplashScreen();
    void showManual();
    void showReport(ReportKind kind);
    // "Model-Averaged Estimates" of the fitted models.
    void showModelAverageReport();
    void showSettingsWidget();
    void showWindow(View view, bool modal = false);
    // Makes the window of a view when there is none, brings it up to date and shows it.
    void openView(View view);
    void loadObservations();
    void loadSimulatedData();
    void loadAgeData();
    void fitAllModels();
    void saveNextDetections();
    void updateWidgets();
    void onReset();
    // Loads the installed sample study (its observations with its own sites configuration,
    // then its ages) in place of the stored one.
    void openSampleStudy();
    void onPrecisionSettingsChanged();
    void onUiSettingsChanged();
    void onSettingsDone();
    void onHelpAbout() override;
    void doActionSaveToCsv() override;
    void onRunComplete() override;
    void onRunStatus(const QString& text) override;
    void onRunTerminated() override;
    void onRunFailed(int code, const QString& text) override;
    void selectModel(const EquatingScheme& model);
    // A configuration window changed what takes part in the analysis: the results go and the
    // detection sequences are derived again.
    void updateConfiguration();

protected:
    void closeEvent(QCloseEvent* event) override;
    void rememberReportFolder(const QString& filePath) override;

private:
    // The title names the open study's file.
    void showStudyFile();
    // Gives the Releases Summary dock the width of its table.
    void widenSummaryDock();
    void buildNavigation();
    NavState navState(bool idle) const;
    void setActionsEnabled(bool enable);
    // Why the sites configuration file in use cannot serve a load; empty when it can.
    QString sitesConfigProblem() const;
    // Asks for a sites configuration file when the one in use cannot serve a load; false when
    // the user chose none (and has been told the way out).
    bool ensureSitesConfig();
    // Makes `path` (empty: the default file) the sites configuration of this and later runs.
    void rememberSitesConfig(const QString& path);
    // The configuration windows are left open during a load but take no edits.
    void setConfigurationWindowsEnabled(bool enabled);
    void startAgesJob(const QString& path);
    void startUpdate();
    void onUpdateComplete();
    void processEstimationResults();
    // Gives the model tree the comparison of the fitted models, the best one marked by the
    // criterion of the settings.
    void markBestModel();
    void createWindow(View view);
    void prepareWindow(View view);
    // Drops the model comparison and the model reports: they show results of data that are
    // about to change.
    void dropResultWindows();
    // Closes the progress of the flow that ended.
    void endProgress();

    // Whether the window is ready for the user once a flow's end has been shown, or the end
    // went on to the next flow (which makes the window ready when it ends in turn).
    enum class AfterFlow
    {
        Ready,
        Continues
    };
    // What the window makes of the end of the flow it started: each flow sets its own as it
    // starts, so the runner's end slots need not know which flow ran. A missing piece means
    // nothing more than making the window ready (and, for a failure, the runner's error box).
    struct FlowEnd
    {
        std::function<AfterFlow(const StudySession::Ending&)> completed;
        std::function<AfterFlow(const StudySession::Ending&)> canceled;
        std::function<AfterFlow(const StudySession::Ending&)> failed;
        std::function<void(const QString& text)> tellFailure;
    };
    FlowEnd loadFlowEnd();
    FlowEnd agesFlowEnd();
    FlowEnd updateFlowEnd();
    FlowEnd fitFlowEnd();
    FlowEnd saveNextDetectionsFlowEnd();

    QSplashScreen* m_splash = nullptr;          // not owned
    RivuletInfoDialog* m_aboutDialog = nullptr; // child, made on first use
    StudyFileMenu* m_studyFileMenu = nullptr;   // child
    ManualWindow* m_manual = nullptr;           // child, made on first use
    const QString m_messageTitle;
    const bool m_countsFile;
    std::unique_ptr<StudySession> m_session;
    ModelEstimateModel* m_modelTree = nullptr;         // child
    QProgressDialog* m_updateProgressDialog = nullptr; // child
    std::optional<EquatingScheme> m_currentModel;
    ModelEstimateItem* m_selectedModelItem = nullptr; // owned by the model tree
    QString m_defaultSitesConfigPath;
    QString m_sitesConfigPath;
    // The installed sample study's folder; empty when there is none.
    const QString m_sampleFolder;
    WindowNavigation m_navigation;
    ReportPanel* m_reports = nullptr; // child
    std::unique_ptr<ViewFactory> m_views;
    FlowEnd m_flowEnd; // of the running flow
    // The panel must be rebuilt from the catalogue once the running job lets go of it.
    bool m_navStale = false;
};

} // namespace rivulet
