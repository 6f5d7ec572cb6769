#pragma once

#include "lum/ui/LumMainWindow.h"
#include "rivulet/model/EquatingScheme.h"

#include <QMap>
#include <QPointer>

#include <memory>

class QProgressDialog;
class QSplashScreen;

namespace lum {
class ThreadRunnable;
}

namespace rivulet {

class ModelEstimateItem;
class ModelEstimateModel;
class ModelReport;
class ObsDataLoader;
class ReleaseSummaryReport;
class RivuletDb;
class ManualWindow;
class RivuletInfoDialog;
class Study;
class StudyFileMenu;
class StudyActions;

// The program's main window. It holds the study of this run and turns every menu action and
// navigation item into one of the study's flows (load observations or simulated data, load
// ages, derive detection sequences, fit all models, select a model, reports, save next
// detections, clear all data), each run as a job of StudyActions on the main runner. Items
// are enabled as the data set goes from empty to loaded to estimated, and every step is
// written to the output dock.
class RivuletWindow : public lum::LumMainWindow
{
    Q_OBJECT

public:
    // Navigation keys.
    enum NavKey
    {
        DataHeading = 0,
        LoadObservationsItem = 1,
        LoadAgeDataItem = 2,
        LoadSimulatedDataItem = 3,
        ConfigurationHeading = 4,
        ReleasesCohortsItem = 5,
        SitesYearsItem = 6,
        DiagnosticsHeading = 7,
        NextDetectionsItem = 8,
        SaveNextDetectionsItem = 9,
        EstimationHeading = 10,
        FitAllModelsItem = 11,
        ResultsHeading = 12,
        ModelSelectionHeading = 13,
        ReportsHeading = 14,
        ModelComparisonItem = 15,
        SurvivalReportItem = 16,
        CaptureReportItem = 17,
        GraphicalResultsItem = 18,
        PerformanceReportItem = 19,
        FirstModelKey = 20,
        NoModelKey = 33,
        ModelAverageReportItem = 34,
        GoodnessOfFitItem = 35,
        StudyDesignItem = 36
    };
    // Sub-window keys.
    enum WindowKey
    {
        DiagramWindow = 0,
        NextDetectionsWindow = 1,
        ReleasesCohortsWindow = 2,
        SitesYearsWindow = 3,
        SurvivalReportWindow = 4,
        CaptureReportWindow = 5,
        PerformanceReportWindow = 6,
        ModelComparisonWindow = 7,
        SettingsWindow = 8,
        ModelAverageReportWindow = 9,
        GoodnessOfFitWindow = 10,
        StudyDesignWindow = 11
    };
    // What runs on the main runner.
    enum RunKind
    {
        NoRun = 0,
        LoadRun = 1,
        EstimationRun = 2,
        UpdateRun = 3,
        AgesRun = 4,
        SaveNextDetectionsRun = 5
    };
    // Menu and action ids of the application.
    enum
    {
        DataMenu = 1000,
        ShowSplashAction = 1001,
        ClearAllDataAction = 1002,
        EditMenu = 1003,
        SettingsAction = 1004,
        OpenSampleAction = 1005,
        ManualAction = 1006
    };
    // Report types (also the report registry keys).
    enum ReportType
    {
        SurvivalReport = 0,
        CaptureReport = 1,
        PerformanceReport = 2,
        ReleaseSummaryType = 3,
        ModelAverageReportType = 4
    };
    static constexpr int ReleasesSummaryDock = 2;

    // `splash` is shown and closed by the window, not owned; `rdb` (borrowed, open) holds the
    // study unless the settings ask for simulated data ("-mock"). `sitesConfigPath` replaces
    // the shared sites configuration file when not empty.
    RivuletWindow(QSplashScreen* splash, RivuletDb& rdb, QWidget* parent = nullptr,
                  const QString& name = QStringLiteral("Rivulet"), Qt::WindowFlags flags = {},
                  const QString& sitesConfigPath = QString());
    ~RivuletWindow() override;

    Study& study() const { return *study_; }
    ModelEstimateModel& modelTree() const { return *modelTree_; }
    lum::ThreadRunner& reportRunner() const { return *reportRunner_; }
    bool isMock() const { return mock_; }
    bool hasData() const { return hasData_; }
    bool hasAgeData() const { return hasAgeData_; }
    int runKind() const { return runKind_; }
    int currentModelKey() const { return currentModelKey_; }
    ModelEstimateItem* selectedModelItem() const { return selectedModelItem_; }
    const QString& sitesConfigPath() const { return sitesConfigPath_; }
    // The report of a type, created on first request (types 0, 1 and 2).
    lum::QtReport* ensureReport(int type);
    ReleaseSummaryReport* releaseSummaryReport() const { return releaseSummaryReport_; }
    RivuletInfoDialog* aboutDialog() const { return aboutDialog_; }
    // Help > "Rivulet Manual"; null until first shown.
    ManualWindow* manualWindow() const { return manual_; }
    // The study entries of the File menu; null with simulated data.
    StudyFileMenu* studyFileMenu() const { return studyFileMenu_; }
    // Makes the database file at `path` (created when missing) the open study: the windows of
    // the study close, the study is read from the file, and its kept fits are shown. False,
    // with the reason told, when it cannot be used; the study open before then stays.
    bool openStudyFile(const QString& path);
    // The navigation key of a catalogue scheme; -1 for a scheme without one.
    static int modelKey(const EquatingScheme& scheme);
    static EquatingScheme schemeOfKey(int key);

public slots:
    void splashScreenTimeout();
    void onShowSplashScreen();
    void showManual();
    void showReportSubWindow(int type);
    // "Model-Averaged Estimates" of the fitted models.
    void showModelAverageReport();
    void showSettingsWidget();
    void showWindow(int key, bool modal = false);
    void updateWidgets();
    void onReset();
    // Loads the installed sample study (its observations with its own sites configuration,
    // then its ages) in place of the stored one.
    void openSampleStudy();
    void onPrecisionSettingsChanged();
    void onUiSettingsChanged();
    void onSettingsDone();
    void onReportComplete();
    void onHelpAbout() override;
    void doActionSaveToCsv() override;
    void onNavItemOpened(int key) override;
    void onRunComplete() override;
    void onRunStatus(const QString& text) override;
    void onRunTerminated() override;
    void onRunFailed(int code, const QString& text) override;
    void onRunError(const QString& text) override;
    void selectModel(int key);
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
    void setActionsEnabled(bool enable);
    void loadObservations();
    // Why the sites configuration file in use cannot serve a load; empty when it can.
    QString sitesConfigProblem() const;
    // Asks for a sites configuration file when the one in use cannot serve a load; false when
    // the user chose none (and has been told the way out).
    bool ensureSitesConfig();
    // Makes `path` (empty: the default file) the sites configuration of this and later runs.
    void rememberSitesConfig(const QString& path);
    // The configuration windows are left open during a load but take no edits.
    void setConfigurationWindowsEnabled(bool enabled);
    void loadSimulatedData();
    void loadAgeData();
    void startAgesJob(const QString& path);
    void startUpdate();
    void onUpdateComplete();
    void fitAllModels();
    void processEstimationResults();
    // Gives the model tree the comparison of the fitted models, the best one marked by the
    // criterion of the settings.
    void markBestModel();
    void saveNextDetections();
    void createWindow(int key);
    void prepareWindow(int key);
    // Wraps a view in the sub-window of that key.
    void placeWindow(int key, QWidget* widget, const QString& title, const QRect& geometry);
    // Gives `window` the geometry, inside the document area and no smaller than its layout.
    void setGeometryInsideArea(QMdiSubWindow* window, const QRect& geometry);
    // Drops the model comparison and the model reports: they show results of data that are
    // about to change.
    void dropResultWindows();
    void startJob(std::unique_ptr<lum::ThreadRunnable> job, RunKind kind);
    void finishRun();
    int endRun();
    ModelReport* modelReport(int type) const;
    // The selected model, or none, as the model of a report.
    void setReportedModel(ModelReport& report) const;

    QSplashScreen* splash_ = nullptr;          // not owned
    RivuletInfoDialog* aboutDialog_ = nullptr; // child, made on first use
    StudyFileMenu* studyFileMenu_ = nullptr;   // child
    ManualWindow* manual_ = nullptr;           // child, made on first use
    const QString messageTitle_;
    const bool mock_;
    std::unique_ptr<Study> study_;
    std::unique_ptr<StudyActions> actions_;
    std::unique_ptr<lum::ThreadRunner> reportRunner_;
    ModelEstimateModel* modelTree_ = nullptr; // child
    std::unique_ptr<lum::ThreadRunnable> job_;
    ObsDataLoader* loader_ = nullptr;                      // inside job_ while a load runs
    ReleaseSummaryReport* releaseSummaryReport_ = nullptr; // registered as report type 3
    QProgressDialog* updateProgressDialog_ = nullptr;      // child
    int runKind_ = NoRun;
    bool hasData_ = false;
    bool hasAgeData_ = false;
    int currentModelKey_ = NoModelKey;
    ModelEstimateItem* selectedModelItem_ = nullptr; // owned by the model tree
    QString defaultSitesConfigPath_;
    QString sitesConfigPath_;
    QString pendingNextDetectionsFile_;
    // The ages to load once the observations being loaded are in (the sample study).
    QString pendingAgesFile_;
    // The installed sample study's folder; empty when there is none.
    const QString sampleFolder_;
    // The panel must be rebuilt from the catalogue once the running job lets go of it.
    bool navStale_ = false;
};

} // namespace rivulet
