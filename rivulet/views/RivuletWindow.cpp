#include "rivulet/views/RivuletWindow.h"

#include "lum/db/SqliteDb.h"
#include "lum/report/ReportWriter.h"
#include "lum/thread/ThreadRunner.h"
#include "lum/ui/NavPanelItem.h"
#include "lum/ui/NavPanelModel.h"
#include "lum/ui/NavPanelView.h"
#include "lum/ui/QtRTextWidget.h"
#include "lum/ui/ReportViewers.h"
#include "lum/ui/TableCopy.h"
#include "lum/ui/UserPrompts.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/reports/ModelAverageReport.h"
#include "rivulet/reports/ModelReport.h"
#include "rivulet/reports/ReleaseSummaryReport.h"
#include "rivulet/results/CsvRenderer.h"
#include "rivulet/results/ModelDescription.h"
#include "rivulet/results/ModelSelectionCriterion.h"
#include "rivulet/settings/AppStartup.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"
#include "rivulet/views/ConfigReleasesCohortsWidget.h"
#include "rivulet/views/ConfigSitesYearsWidget.h"
#include "rivulet/views/EstimatesWidget.h"
#include "rivulet/views/GoodnessOfFitWidget.h"
#include "rivulet/views/ManualWindow.h"
#include "rivulet/views/ModelEstimateItem.h"
#include "rivulet/views/ModelEstimateModel.h"
#include "rivulet/views/NextDetectionsWidget.h"
#include "rivulet/views/ResultsTableModel.h"
#include "rivulet/views/RivuletInfoDialog.h"
#include "rivulet/views/RivuletSettingsWidget.h"
#include "rivulet/views/StudyDesignWidget.h"
#include "rivulet/views/StudyFileMenu.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplashScreen>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace rivulet {

namespace {

// Navigation key of each catalogue entry, in key order from 20.
constexpr std::array<EquatingScheme, 13> modelKeys = {{{4, 0},
                                                       {4, 4},
                                                       {2, 0},
                                                       {2, 4},
                                                       {2, 2},
                                                       {3, 0},
                                                       {3, 4},
                                                       {3, 3},
                                                       {1, 0},
                                                       {1, 4},
                                                       {1, 2},
                                                       {1, 3},
                                                       {1, 1}}};

constexpr std::array<int, 3> modelReportTypes = {
    RivuletWindow::SurvivalReport, RivuletWindow::CaptureReport, RivuletWindow::PerformanceReport};

RivuletSettings& settings()
{
    return RivuletSettings::instance();
}

int windowKeyOfReport(int type)
{
    return type + RivuletWindow::SurvivalReportWindow;
}

// The window a navigation entry opens; -1 for entries that open none.
int windowKeyOfNavKey(int key)
{
    switch (key) {
    case RivuletWindow::ReleasesCohortsItem:
        return RivuletWindow::ReleasesCohortsWindow;
    case RivuletWindow::SitesYearsItem:
        return RivuletWindow::SitesYearsWindow;
    case RivuletWindow::NextDetectionsItem:
        return RivuletWindow::NextDetectionsWindow;
    case RivuletWindow::ModelComparisonItem:
        return RivuletWindow::ModelComparisonWindow;
    case RivuletWindow::GraphicalResultsItem:
        return RivuletWindow::DiagramWindow;
    case RivuletWindow::GoodnessOfFitItem:
        return RivuletWindow::GoodnessOfFitWindow;
    case RivuletWindow::StudyDesignItem:
        return RivuletWindow::StudyDesignWindow;
    default:
        return -1;
    }
}

// Windows that show the study's data and must go before it.
constexpr std::array<int, 7> dataWindows = {
    RivuletWindow::DiagramWindow,         RivuletWindow::NextDetectionsWindow,
    RivuletWindow::ReleasesCohortsWindow, RivuletWindow::SitesYearsWindow,
    RivuletWindow::ModelComparisonWindow, RivuletWindow::GoodnessOfFitWindow,
    RivuletWindow::StudyDesignWindow};

int reportTypeOfNavKey(int key)
{
    switch (key) {
    case RivuletWindow::SurvivalReportItem:
        return RivuletWindow::SurvivalReport;
    case RivuletWindow::CaptureReportItem:
        return RivuletWindow::CaptureReport;
    case RivuletWindow::PerformanceReportItem:
        return RivuletWindow::PerformanceReport;
    default:
        return -1;
    }
}

} // namespace

int RivuletWindow::modelKey(const EquatingScheme& scheme)
{
    for (std::size_t i = 0; i < modelKeys.size(); ++i) {
        if (modelKeys[i] == scheme)
            return FirstModelKey + static_cast<int>(i);
    }
    return -1;
}

EquatingScheme RivuletWindow::schemeOfKey(int key)
{
    const int index = key - FirstModelKey;
    if (index < 0 || index >= static_cast<int>(modelKeys.size()))
        return {};
    return modelKeys[static_cast<std::size_t>(index)];
}

RivuletWindow::RivuletWindow(QSplashScreen* splash, RivuletDb& rdb, QWidget* parent,
                             const QString& name, Qt::WindowFlags flags,
                             const QString& sitesConfigPath)
    : lum::LumMainWindow(parent, name, flags, 0x6000000), splash_(splash),
      mock_(settings().value(RivuletSettings::MockInput).toBool()),
      sampleFolder_(AppStartup::sampleStudyFolder())
{
    updateProgressDialog_ = new QProgressDialog(this);
    updateProgressDialog_->setWindowTitle(name);
    updateProgressDialog_->setWindowModality(Qt::WindowModal);
    updateProgressDialog_->reset();
    updateProgressDialog_->hide();
    // Its Cancel stops the update as the other progress boxes stop their runs.
    connect(updateProgressDialog_, &QProgressDialog::canceled, this, [this] {
        if (runKind_ == UpdateRun)
            runner().setCanceled(true);
    });

    study_ = std::make_unique<Study>(mock_ ? Study::CountsFile : Study::Database, rdb);
    actions_ = std::make_unique<StudyActions>(*study_, runner());

    setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    progressDialog()->setAutoClose(false);

    connect(addAction(HelpMenu, ManualAction, QStringLiteral("Rivulet Manual")),
            &QAction::triggered, this, &RivuletWindow::showManual);
    action(ManualAction)->setShortcut(QKeySequence::HelpContents);
    connect(addAction(HelpMenu, ShowSplashAction, QStringLiteral("Show Initial Startup Window")),
            &QAction::triggered, this, &RivuletWindow::onShowSplashScreen);
    addMenu(EditMenu, QStringLiteral("&Edit"), ViewMenu);
    connect(addAction(EditMenu, SettingsAction, QStringLiteral("Settings")), &QAction::triggered,
            this, &RivuletWindow::showSettingsWidget);
    action(SettingsAction)->setShortcut(QKeySequence::Preferences);
    addMenu(DataMenu, QStringLiteral("&Data"), EditMenu);
    connect(addAction(DataMenu, OpenSampleAction, QStringLiteral("Open the Sample Study")),
            &QAction::triggered, this, &RivuletWindow::openSampleStudy);
    // Simulated counts have no observations to load.
    action(OpenSampleAction)->setVisible(!mock_ && !sampleFolder_.isEmpty());
    menu(DataMenu)->addSeparator();
    connect(addAction(DataMenu, ClearAllDataAction, QStringLiteral("Clear All Data")),
            &QAction::triggered, this, &RivuletWindow::onReset);

    if (!mock_ && rdb.database()) {
        studyFileMenu_ = new StudyFileMenu(
            this, menu(FileMenu), [this]() -> lum::UserPrompts& { return prompts(); },
            *rdb.database(), [this](const QString& path) { return openStudyFile(path); });
        if (rdb.database()->isOpen())
            studyFileMenu_->noteOpened(rdb.database()->path());
    }
    showStudyFile();

    action(SaveAction)->setVisible(false);
    for (int id : {PrintAction, PrintPreviewAction, SaveAsAction, SaveToCsvAction})
        setActionEnabled(id, false);

    reportRunner_ = std::make_unique<lum::ThreadRunner>();
    connect(reportRunner_.get(), &QThread::finished, this, &RivuletWindow::onReportComplete);
    modelTree_ = new ModelEstimateModel(study_->catalogue(), this);
    modelTree_->rebuild();
    buildNavigation();

    hasData_ = study_->releases().count() > 0;

    const QVariant geometry = settings().value(RivuletSettings::GeomMainWindow);
    if (geometry.isNull() || geometry.toByteArray().isEmpty()) {
        // Most of the screen on a first start: the docks and the document area share it.
        const QRect screen = QGuiApplication::primaryScreen()
                                 ? QGuiApplication::primaryScreen()->availableGeometry()
                                 : QRect(0, 0, 1333, 888);
        const QSize size(std::max(1200, screen.width() * 9 / 10),
                         std::max(800, screen.height() * 9 / 10));
        resize(size.boundedTo(screen.size()));
        move(screen.center() - rect().center());
    } else {
        restoreGeometry(geometry.toByteArray());
    }

    const QString folder = settings().sitesConfigDir();
    if (!folder.isEmpty())
        defaultSitesConfigPath_ = folder + QDir::separator() +
                                  settings().value(RivuletSettings::SitesConfigFileName).toString();
    if (!sitesConfigPath.isEmpty())
        defaultSitesConfigPath_ = sitesConfigPath;
    // The file chosen in an earlier run, unless the command line names one for this run.
    const QString chosen = settings().value(RivuletSettings::SitesConfigChoice).toString();
    sitesConfigPath_ =
        sitesConfigPath.isEmpty() && !chosen.isEmpty() ? chosen : defaultSitesConfigPath_;
    study_->setSitesConfigPath(sitesConfigPath_);

    auto summary = std::make_unique<ReleaseSummaryReport>(study_->releases(), study_->sites(),
                                                          study_->years(), study_->nextDetections(),
                                                          nullptr, reportRunner_.get());
    summary->setName(summary->reportTitle());
    releaseSummaryReport_ = summary.get();
    addReport(ReleaseSummaryType, std::move(summary));
    auto* dock = new QDockWidget(QStringLiteral("Releases Summary"), this);
    dock->setObjectName(QStringLiteral("releasesSummaryDock"));
    dock->setWidget(lum::ReportViewers::of(*releaseSummaryReport_).textWidget());
    addDock(ReleasesSummaryDock, dock, Qt::RightDockWidgetArea);
    // Room for the item names and the summary's four columns; the document area keeps the rest.
    // The panel as wide as its longest entry (in the desktop's font), no wider.
    int navigationWidth = 410;
    if (navView()) {
        navView()->resizeColumnToContents(0);
        navigationWidth = std::max(300, navView()->columnWidth(0) + 40);
    }
    resizeDocks({this->dock(NavigationDock), dock}, {navigationWidth, 270}, Qt::Horizontal);
    resizeDocks({outputDock()}, {170}, Qt::Vertical);
    // The docks as the user left them, over the defaults above.
    const QByteArray docks = settings().value(RivuletSettings::StateMainWindow).toByteArray();
    if (!docks.isEmpty())
        restoreState(docks);

    setActionsEnabled(false);
    startUpdate();
    updateNav();
}

RivuletWindow::~RivuletWindow()
{
    if (reportRunner_->isRunning()) {
        reportRunner_->cancel();
        reportRunner_->wait();
    }
    reportRunner_->disconnect(this);
    if (runner().isRunning()) {
        runner().cancel();
        runner().wait();
    }
    runner().disconnect(this);
    // Reports and windows read the study and the model tree; they go first.
    for (int type : modelReportTypes)
        removeReport(type);
    removeReport(ReleaseSummaryType);
    removeReport(ModelAverageReportType);
    if (auto* gof = qobject_cast<GoodnessOfFitWidget*>(windowWidget(GoodnessOfFitWindow)))
        gof->stop();
    if (auto* design = qobject_cast<StudyDesignWidget*>(windowWidget(StudyDesignWindow)))
        design->stop();
    for (int key : dataWindows)
        deleteSubWindow(key);
}

void RivuletWindow::buildNavigation()
{
    clearNav();
    const bool diagnostics =
        mock_ || settings().value(RivuletSettings::DiagnosticsEnabled).toBool();
    const bool expert = settings().value(RivuletSettings::UiExpertMode).toBool();
    QMenu* data = menu(DataMenu);
    QMenu* windows = menu(WindowMenu);

    addNavItem(DataHeading, lum::NavPanelItem::HeadingType, QStringLiteral("Data"), nullptr);
    if (mock_) {
        addNavItem(LoadSimulatedDataItem, lum::NavPanelItem::ActionType,
                   QStringLiteral("Load Simulated Data"), navItem(DataHeading), data);
    } else {
        addNavItem(LoadObservationsItem, lum::NavPanelItem::ActionType,
                   QStringLiteral("Load Observations"), navItem(DataHeading), data);
        addNavItem(LoadAgeDataItem, lum::NavPanelItem::ActionType, QStringLiteral("Load Age Data"),
                   navItem(DataHeading), data);
    }
    addNavItem(ConfigurationHeading, lum::NavPanelItem::HeadingType,
               QStringLiteral("Configuration"), nullptr);
    addNavItem(ReleasesCohortsItem, lum::NavPanelItem::ActionType,
               QStringLiteral("Releases and Cohorts Configuration"), navItem(ConfigurationHeading),
               data);
    addNavItem(SitesYearsItem, lum::NavPanelItem::ActionType,
               QStringLiteral("Sites and Years Configuration"), navItem(ConfigurationHeading),
               data);
    if (diagnostics) {
        addNavItem(DiagnosticsHeading, lum::NavPanelItem::HeadingType,
                   QStringLiteral("Diagnostic Tools"), nullptr);
        addNavItem(NextDetectionsItem, lum::NavPanelItem::ActionType,
                   QStringLiteral("Next Detections"), navItem(DiagnosticsHeading), data);
        addNavItem(SaveNextDetectionsItem, lum::NavPanelItem::ActionType,
                   QStringLiteral("Save Next Detections"), navItem(DiagnosticsHeading), data);
        addNavItem(StudyDesignItem, lum::NavPanelItem::ActionType, QStringLiteral("Study Design"),
                   navItem(DiagnosticsHeading), windows);
    }
    addNavItem(EstimationHeading, lum::NavPanelItem::HeadingType, QStringLiteral("Estimation"),
               nullptr);
    addNavItem(FitAllModelsItem, lum::NavPanelItem::ActionType, QStringLiteral("Fit All Models"),
               navItem(EstimationHeading), data);
    if (expert) {
        addNavItem(ModelSelectionHeading, lum::NavPanelItem::HeadingType,
                   QStringLiteral("Model Selection"), nullptr);
        lum::NavPanelItem* heading = navItem(ModelSelectionHeading);
        QString headingText;
        for (const auto& definition : study_->catalogue().definitionItems()) {
            const int key = modelKey(definition->scheme());
            if (key < 0)
                continue;
            if (definition->isHeading()) {
                headingText = definition->description();
                lum::NavPanelItem* item = addNavItem(key, lum::NavPanelItem::HeadingType,
                                                     headingText, navItem(ModelSelectionHeading));
                item->setToolTip(headingText);
                heading = item;
            } else {
                lum::NavPanelItem* item = addNavItem(
                    key, lum::NavPanelItem::ActionType,
                    definition->name() + QStringLiteral(": ") + definition->description(), heading);
                item->setToolTip(headingText + QStringLiteral(", ") + definition->description());
                item->setSelected(key == currentModelKey_);
            }
        }
    }
    addNavItem(ResultsHeading, lum::NavPanelItem::HeadingType, QStringLiteral("Results"), nullptr);
    addNavItem(ModelComparisonItem, lum::NavPanelItem::ActionType,
               QStringLiteral("Model Comparison"), navItem(ResultsHeading), windows);
    addNavItem(GraphicalResultsItem, lum::NavPanelItem::ActionType,
               QStringLiteral("Graphical Results"), navItem(ResultsHeading), windows);
    addNavItem(GoodnessOfFitItem, lum::NavPanelItem::ActionType, QStringLiteral("Goodness of Fit"),
               navItem(ResultsHeading), windows);
    addNavItem(ReportsHeading, lum::NavPanelItem::HeadingType, QStringLiteral("Reports"),
               navItem(ResultsHeading));
    for (int type : modelReportTypes) {
        const int key = type == SurvivalReport  ? SurvivalReportItem
                        : type == CaptureReport ? CaptureReportItem
                                                : PerformanceReportItem;
        addNavItem(key, lum::NavPanelItem::ReportType, RivuletReport::reportTitle(type),
                   navItem(ReportsHeading), windows);
    }
    addNavItem(ModelAverageReportItem, lum::NavPanelItem::ReportType,
               RivuletReport::reportTitle(RivuletReport::ModelAverageKind), navItem(ReportsHeading),
               windows);
    // Keys for the steps of every study: load, fit, compare.
    const std::pair<int, QKeySequence> shortcuts[] = {
        {LoadObservationsItem, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {LoadSimulatedDataItem, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {FitAllModelsItem, QKeySequence(Qt::Key_F5)},
        {ModelComparisonItem, QKeySequence(Qt::CTRL | Qt::Key_M)}};
    for (const auto& [key, sequence] : shortcuts) {
        if (lum::NavPanelItem* item = navItem(key))
            item->setShortcut(sequence);
    }
}

void RivuletWindow::setActionsEnabled(bool enable)
{
    if (enable && navStale_) {
        onUiSettingsChanged();
        return;
    }
    if (studyFileMenu_)
        studyFileMenu_->setEnabled(enable);
    const auto set = [this](int key, bool on) {
        if (lum::NavPanelItem* item = navItem(key))
            setEnabledRecursive(item, on);
    };
    // Children first would be undone by their heading; headings first, then their entries.
    set(DataHeading, enable);
    set(mock_ ? LoadSimulatedDataItem : LoadObservationsItem, enable);
    const bool loaded = enable && hasData_;
    setActionEnabled(ClearAllDataAction, loaded);
    setActionEnabled(OpenSampleAction, enable);
    for (int key :
         {LoadAgeDataItem, ConfigurationHeading, ReleasesCohortsItem, SitesYearsItem,
          DiagnosticsHeading, NextDetectionsItem, SaveNextDetectionsItem, EstimationHeading,
          FitAllModelsItem, ResultsHeading, ModelSelectionHeading, ReportsHeading})
        set(key, loaded);
    if (settings().value(RivuletSettings::UiExpertMode).toBool()) {
        for (const auto& definition : study_->catalogue().definitionItems()) {
            const int key = modelKey(definition->scheme());
            if (definition->isHeading())
                set(key, loaded);
            else
                set(key, enable && modelTree_->isEstimated(definition->scheme()));
        }
    }
    const bool selected = enable && currentModelKey_ != NoModelKey;
    set(ModelComparisonItem, selected);
    set(GraphicalResultsItem, selected);
    for (int key : {SurvivalReportItem, CaptureReportItem, PerformanceReportItem})
        set(key, selected && hasData_);
    set(ModelAverageReportItem, enable && !study_->results().isEmpty());
    // It takes a fitted model as the truth.
    set(StudyDesignItem, enable && !study_->results().isEmpty());
    // It fits its own model, so it needs the data only.
    set(GoodnessOfFitItem, loaded);
    // Headings stay black; their entries show the state.
    updateNav();
}

void RivuletWindow::onNavItemOpened(int key)
{
    const int type = reportTypeOfNavKey(key);
    if (type >= 0) {
        showReportSubWindow(type);
        return;
    }
    if (key == ModelAverageReportItem) {
        showModelAverageReport();
        return;
    }
    const int windowKey = windowKeyOfNavKey(key);
    if (windowKey >= 0) {
        createWindow(windowKey);
        prepareWindow(windowKey);
        // Choices left unapplied when the window was last shown are forgotten.
        if (auto* releases =
                qobject_cast<ConfigReleasesCohortsWidget*>(windowWidget(ReleasesCohortsWindow));
            releases && windowKey == ReleasesCohortsWindow)
            releases->reload();
        showSubWindow(windowKey);
        return;
    }
    switch (key) {
    case LoadObservationsItem:
        loadObservations();
        return;
    case LoadAgeDataItem:
        loadAgeData();
        return;
    case LoadSimulatedDataItem:
        loadSimulatedData();
        return;
    case FitAllModelsItem:
        fitAllModels();
        return;
    case SaveNextDetectionsItem:
        saveNextDetections();
        return;
    default:
        selectModel(key);
        updateNav();
    }
}

void RivuletWindow::startJob(std::unique_ptr<lum::ThreadRunnable> job, RunKind kind)
{
    // The previous job's thread has finished (finishRun waited for it).
    job_ = std::move(job);
    runKind_ = kind;
    runner().setRunnable(job_.get());
    runner().start();
}

void RivuletWindow::finishRun()
{
    // The runner reports the end of a run from inside its thread; wait for the thread itself
    // so that the next job can start on it at once.
    runner().wait();
}

void RivuletWindow::dropResultWindows()
{
    deleteSubWindow(DiagramWindow);
    deleteSubWindow(ModelComparisonWindow);
    // Its figures are those of the data it ran on; a run still going is stopped now, before the
    // data change under it.
    if (auto* gof = qobject_cast<GoodnessOfFitWidget*>(windowWidget(GoodnessOfFitWindow)))
        gof->stop();
    deleteSubWindow(GoodnessOfFitWindow);
    // It runs on the results, which are about to go.
    if (auto* design = qobject_cast<StudyDesignWidget*>(windowWidget(StudyDesignWindow)))
        design->stop();
    deleteSubWindow(StudyDesignWindow);
    for (int type : modelReportTypes)
        removeReport(type);
    removeReport(ModelAverageReportType);
    if (lum::NavPanelItem* item = navItem(currentModelKey_))
        navModel()->setItemSelected(item, false);
    currentModelKey_ = NoModelKey;
    selectedModelItem_ = nullptr;
}

void RivuletWindow::loadObservations()
{
    if (mock_)
        return;
    setActionsEnabled(false);
    if (!ensureSitesConfig()) {
        setActionsEnabled(true);
        return;
    }
    const QString path = prompts().openFileName(
        this, QStringLiteral("Select Data File"),
        settings().value(RivuletSettings::PrevFile).toString(), QStringLiteral("CSV File (*.csv)"));
    if (path.isEmpty()) {
        setActionsEnabled(true);
        return;
    }
    // Results, reports and windows stay until the new data are stored: a load that fails or
    // is canceled leaves the study, and so them, as they were.
    setConfigurationWindowsEnabled(false);
    progressDialog()->setRange(0, 100);
    progressDialog()->setValue(0);
    progressDialog()->setLabelText(QStringLiteral("Loading observation data..."));
    showProgressDialog();
    settings().setDirectoryOf(RivuletSettings::PrevFile, path);
    study_->setSitesConfigPath(sitesConfigPath_);
    auto job = actions_->loadObservations(path);
    loader_ = &job->job();
    loader_->setSitesConfigRemedy(QStringLiteral(
        "Choose a sites configuration file in Edit > Settings > Sites Configuration."));
    startJob(std::move(job), LoadRun);
}

QString RivuletWindow::sitesConfigProblem() const
{
    if (sitesConfigPath_.isEmpty())
        return QStringLiteral("the shared folder of the sites configuration cannot be created");
    const QFileInfo file(sitesConfigPath_);
    const QString name = QDir::toNativeSeparators(sitesConfigPath_);
    if (!file.exists())
        return QStringLiteral("the file \"%1\" does not exist").arg(name);
    if (!file.isFile() || !file.isReadable())
        return QStringLiteral("\"%1\" is not a readable file").arg(name);
    return {};
}

bool RivuletWindow::ensureSitesConfig()
{
    const QString problem = sitesConfigProblem();
    if (problem.isEmpty())
        return true;
    warn(QStringLiteral("No usable sites configuration: %1.").arg(problem));
    const QString chosen =
        prompts().openFileName(this, QStringLiteral("Select Sites Configuration File"), QString(),
                               QStringLiteral("Sites Configuration (*.txt);;All Files (*)"));
    if (chosen.isEmpty()) {
        const QString text =
            QStringLiteral("Observations cannot be loaded without a sites configuration: %1. "
                           "Choose a sites configuration file in Edit > Settings > Sites "
                           "Configuration.")
                .arg(problem);
        err(text);
        prompts().tell(this, QMessageBox::Critical, messageTitle_, text);
        return false;
    }
    rememberSitesConfig(chosen);
    out(QStringLiteral("Sites configuration file %1 chosen for this and later loads "
                       "(Edit > Settings > Sites Configuration changes it).")
            .arg(QDir::toNativeSeparators(chosen)));
    return true;
}

void RivuletWindow::rememberSitesConfig(const QString& path)
{
    settings().setValue(RivuletSettings::SitesConfigChoice, path);
    // A choice made once must hold even if the program does not end cleanly.
    settings().sync();
    sitesConfigPath_ = path.isEmpty() ? defaultSitesConfigPath_ : path;
    study_->setSitesConfigPath(sitesConfigPath_);
}

void RivuletWindow::setConfigurationWindowsEnabled(bool enabled)
{
    for (int key : {ReleasesCohortsWindow, SitesYearsWindow}) {
        if (QWidget* widget = windowWidget(key))
            widget->setEnabled(enabled);
    }
}

void RivuletWindow::loadSimulatedData()
{
    const QString path = prompts().openFileName(this, QStringLiteral("Select Simulated Data File"),
                                                QString(), QString());
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        prompts().tell(this, QMessageBox::Critical, messageTitle_, QStringLiteral("No such file"));
        return;
    }
    QTextStream in(&file);
    QString error;
    setActionsEnabled(false);
    dropResultWindows();
    if (!study_->readCountsFile(in, &error)) {
        // The study keeps the data it had.
        const QString text = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), error);
        err(text);
        prompts().tell(this, QMessageBox::Critical, messageTitle_, text);
        setActionsEnabled(true);
        return;
    }
    out(QStringLiteral("Simulated data loaded from %1.").arg(QDir::toNativeSeparators(path)));
    hasData_ = true;
    startUpdate();
}

void RivuletWindow::loadAgeData()
{
    const QString path = prompts().openFileName(
        this, QStringLiteral("Select Age Data File"),
        settings().value(RivuletSettings::PrevFile).toString(), QStringLiteral("CSV File (*.csv)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        prompts().tell(this, QMessageBox::Critical, messageTitle_, QStringLiteral("No such file"));
        return;
    }
    file.close();
    setActionsEnabled(false);
    startAgesJob(path);
}

void RivuletWindow::startAgesJob(const QString& path)
{
    progressDialog()->setLabelText(QStringLiteral("Loading age data..."));
    progressDialog()->setRange(0, 100);
    progressDialog()->setValue(0);
    showProgressDialog();
    startJob(actions_->loadAges(path), AgesRun);
}

void RivuletWindow::openSampleStudy()
{
    if (mock_ || sampleFolder_.isEmpty())
        return;
    if (hasData_ &&
        prompts().ask(this, QMessageBox::Warning, QStringLiteral("Open the Sample Study"),
                      QStringLiteral("The sample study replaces the loaded data. Continue?"),
                      QMessageBox::Ok | QMessageBox::Cancel,
                      QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    const QDir folder(sampleFolder_);
    setActionsEnabled(false);
    dropResultWindows();
    closeSubWindow(ReleasesCohortsWindow);
    closeSubWindow(SitesYearsWindow);
    progressDialog()->setRange(0, 100);
    progressDialog()->setValue(0);
    progressDialog()->setLabelText(QStringLiteral("Loading the sample study..."));
    showProgressDialog();
    // The sample's sites are those of its own configuration, whatever the user's file holds.
    study_->setSitesConfigPath(folder.filePath(QStringLiteral("sites_config.txt")));
    pendingAgesFile_ = folder.filePath(QStringLiteral("ages.csv"));
    startJob(actions_->loadObservations(folder.filePath(QStringLiteral("observations.csv"))),
             LoadRun);
}

void RivuletWindow::startUpdate()
{
    // Results belong to the data they were fitted on.
    dropResultWindows();
    // The counts it shows are about to be derived again.
    deleteSubWindow(NextDetectionsWindow);
    // The configuration views read the summary the update rewrites: no edits, no tab
    // changes until it is done.
    setConfigurationWindowsEnabled(false);
    study_->clearResults();
    modelTree_->rebuild();
    if (splash_ && splash_->isVisible()) {
        splash_->showMessage(QStringLiteral("Loading data..."), Qt::AlignHCenter | Qt::AlignBottom,
                             Qt::white);
    } else {
        updateProgressDialog_->setLabelText(QStringLiteral("Updating..."));
        updateProgressDialog_->setRange(0, 0);
        // Sized for its label, bar and button: a busy bar alone gives too short a box.
        updateProgressDialog_->resize(
            updateProgressDialog_->sizeHint().expandedTo(progressDialog()->sizeHint()));
        updateProgressDialog_->show();
    }
    startJob(actions_->update(), UpdateRun);
}

void RivuletWindow::onUpdateComplete()
{
    updateProgressDialog_->cancel();
    updateProgressDialog_->hide();
    if (splash_)
        splash_->clearMessage();
    hasData_ = hasData_ || study_->releases().count() > 0;
    releaseSummaryReport_->setDirty(true);
    releaseSummaryReport_->run();
    releaseSummaryReport_->updateText();
    widenSummaryDock();
    if (auto* sitesYears =
            qobject_cast<ConfigSitesYearsWidgetBase*>(windowWidget(SitesYearsWindow))) {
        sitesYears->rebuildTabs();
        sitesYears->setEnabled(true);
    }
    if (auto* releases =
            qobject_cast<ConfigReleasesCohortsWidget*>(windowWidget(ReleasesCohortsWindow))) {
        releases->reload();
        releases->setEnabled(true);
    }
    modelTree_->rebuild();
    currentModelKey_ = NoModelKey;
    selectedModelItem_ = nullptr;
    buildNavigation();
    if (study_->resultsWereStored()) {
        out(QStringLiteral("The fits kept with the study were read back (%1 models).")
                .arg(study_->results().count()));
        processEstimationResults();
    }
    setActionsEnabled(true);
    updateNav();
}

void RivuletWindow::fitAllModels()
{
    if (study_->catalogue().fitList().empty()) {
        prompts().tell(this, QMessageBox::Critical, messageTitle_,
                       QStringLiteral("None of the models are estimable."));
        return;
    }
    setActionsEnabled(false);
    dropResultWindows();
    modelTree_->rebuild();
    study_->clearResults();
    progressDialog()->setRange(0, 0);
    out(QStringLiteral("========================"));
    onRunProgressStatus(QStringLiteral("Estimating ..."));
    showProgressDialog();
    startJob(actions_->fit({}), EstimationRun);
}

void RivuletWindow::onRunComplete()
{
    finishRun();
    stopProgress();
    const int kind = runKind_;
    runKind_ = NoRun;
    switch (kind) {
    case LoadRun:
        loader_ = nullptr;
        hasData_ = true;
        out(QStringLiteral("Observation data loaded."));
        // The configuration windows show the study that has been replaced.
        closeSubWindow(ReleasesCohortsWindow);
        closeSubWindow(SitesYearsWindow);
        if (!pendingAgesFile_.isEmpty()) {
            // The update follows the ages, which give the tags their cohorts.
            startAgesJob(std::exchange(pendingAgesFile_, QString()));
            return;
        }
        startUpdate();
        return;
    case AgesRun:
        hasAgeData_ = true;
        out(QStringLiteral("Age data loaded."));
        // Cohorts come from the ages: the derived data follow them.
        startUpdate();
        return;
    case UpdateRun:
        onUpdateComplete();
        return;
    case EstimationRun:
        out(QStringLiteral("Model estimation complete."));
        processEstimationResults();
        if (!study_->results().isEmpty()) {
            createWindow(ModelComparisonWindow);
            showSubWindow(ModelComparisonWindow);
        }
        break;
    case SaveNextDetectionsRun:
        settings().setValue(
            RivuletSettings::DiagDir,
            pendingNextDetectionsFile_.left(pendingNextDetectionsFile_.lastIndexOf(
                pendingNextDetectionsFile_.contains(QLatin1Char('\\')) ? QLatin1Char('\\')
                                                                       : QLatin1Char('/'))));
        out(QStringLiteral("Next detections saved to %1.")
                .arg(QDir::toNativeSeparators(pendingNextDetectionsFile_)));
        prompts().tell(this, QMessageBox::Information, QStringLiteral("Save Next Detections"),
                       QStringLiteral("Next Detections successfully saved."));
        break;
    default:
        break;
    }
    updateNav();
    setActionsEnabled(true);
}

// Closes the progress of the run that ended and says which kind it was.
int RivuletWindow::endRun()
{
    finishRun();
    stopProgress();
    updateProgressDialog_->hide();
    // The ages of observations that did not load would belong to the study kept instead.
    pendingAgesFile_.clear();
    const int kind = runKind_;
    runKind_ = NoRun;
    return kind;
}

void RivuletWindow::onRunTerminated()
{
    const int kind = endRun();
    switch (kind) {
    case LoadRun: {
        // A cancel that comes after the data were stored is too late to undo them.
        const bool stored = loader_ && !loader_->failed() && loader_->summary().rows > 0;
        loader_ = nullptr;
        if (stored) {
            warn(QStringLiteral("Cancel came after the new study was stored: the study now "
                                "holds the loaded data, and is being brought up to date."));
            hasData_ = true;
            closeSubWindow(ReleasesCohortsWindow);
            closeSubWindow(SitesYearsWindow);
            startUpdate();
            return;
        }
        warn(QStringLiteral("Load Data canceled; the stored study is unchanged."));
        setConfigurationWindowsEnabled(true);
        break;
    }
    case AgesRun: {
        const auto* ages = dynamic_cast<const StudyJob<AgeDataLoader>*>(job_.get());
        if (ages && ages->storedDespiteCancel()) {
            hasAgeData_ = true;
            warn(QStringLiteral("Cancel came after the age data were stored: the tags have their "
                                "cohorts, and the study is being brought up to date."));
            startUpdate();
            return;
        }
        warn(QStringLiteral("Load Age Data canceled; the stored study is unchanged."));
        break;
    }
    case EstimationRun:
        warn(QStringLiteral("Model estimation canceled."));
        break;
    case UpdateRun:
        warn(QStringLiteral("Update canceled; the derived data may not match the stored data."));
        for (int key : {ReleasesCohortsWindow, SitesYearsWindow}) {
            if (QWidget* widget = windowWidget(key))
                widget->setEnabled(true);
        }
        break;
    default:
        break;
    }
    setActionsEnabled(true);
}

void RivuletWindow::onRunFailed(int, const QString&)
{
    const int kind = endRun();
    switch (kind) {
    case LoadRun:
        loader_ = nullptr;
        // The load rolled back: the derived data, the results and the windows showing them
        // still match the stored study.
        warn(QStringLiteral("Load Data failed; the stored study is unchanged."));
        setConfigurationWindowsEnabled(true);
        break;
    case AgesRun:
        warn(QStringLiteral("Load Age Data failed; the stored ages are unchanged."));
        break;
    case EstimationRun:
        warn(QStringLiteral("Model estimation failed."));
        break;
    case UpdateRun:
        onUpdateComplete();
        return;
    default:
        break;
    }
    setActionsEnabled(true);
}

void RivuletWindow::onRunStatus(const QString& text)
{
    lum::LumMainWindow::onRunStatus(text);
    // One large model can take most of a run: the progress says which one is being fitted.
    static const QString fitting = QStringLiteral("Fitting model ");
    const QString line = text.trimmed();
    if (runKind_ == EstimationRun && line.startsWith(fitting))
        progressDialog()->setLabelText(line + QStringLiteral("..."));
}

void RivuletWindow::onRunError(const QString& text)
{
    if (runKind_ == SaveNextDetectionsRun) {
        err(text);
        prompts().tell(this, QMessageBox::Critical, QStringLiteral("Save Next Detections"),
                       QStringLiteral("Unable to open file \"%1\" for writing.")
                           .arg(pendingNextDetectionsFile_));
        return;
    }
    lum::LumMainWindow::onRunError(text);
}

void RivuletWindow::processEstimationResults()
{
    const EstimationResults& results = study_->results();
    if (results.isEmpty()) {
        const QString text = QStringLiteral("No models produced parameter estimates");
        err(text);
        prompts().tell(this, QMessageBox::Critical, QStringLiteral("Estimation Error"), text);
        return;
    }
    for (const ModelResult* result : results.results())
        modelTree_->setResult(*result);
    for (const auto& definition : study_->catalogue().definitionItems()) {
        const QString reason = results.failure(definition->scheme());
        if (!reason.isEmpty())
            modelTree_->setFailure(definition->scheme(), reason);
    }
    markBestModel();
    if (const ModelEstimateItem* best = modelTree_->best())
        selectModel(modelKey(best->key()));
}

void RivuletWindow::markBestModel()
{
    if (study_->results().isEmpty() || !modelTree_->hasResults())
        return;
    modelTree_->setComparison(std::make_unique<const ModelComparison>(actions_->comparison(
        ModelSelectionCriterion::fromSettings(), ModelSelectionCriterion::countFromSettings())));
}

void RivuletWindow::selectModel(int key)
{
    if (currentModelKey_ != NoModelKey) {
        if (lum::NavPanelItem* previous = navItem(currentModelKey_))
            navModel()->setItemSelected(previous, false);
    }
    currentModelKey_ = key;
    if (lum::NavPanelItem* item = navItem(key))
        navModel()->setItemSelected(item, true);
    selectedModelItem_ = modelTree_->findRow(schemeOfKey(key));
    if (selectedModelItem_ && selectedModelItem_->isEstimated())
        modelTree_->setSelected(selectedModelItem_);
    onPrecisionSettingsChanged();
    updateWidgets();
    setActionsEnabled(true);
}

ModelReport* RivuletWindow::modelReport(int type) const
{
    return qobject_cast<ModelReport*>(report(type));
}

void RivuletWindow::setReportedModel(ModelReport& report) const
{
    if (selectedModelItem_)
        report.setModel(ModelDescription::of(study_->catalogue(), selectedModelItem_->key()),
                        selectedModelItem_->result());
    else
        report.clearModel();
}

lum::QtReport* RivuletWindow::ensureReport(int type)
{
    if (lum::QtReport* existing = report(type))
        return existing;
    ModelDocuments::Kind kind = ModelDocuments::Kind::Performance;
    switch (type) {
    case SurvivalReport:
        kind = ModelDocuments::Kind::Survival;
        break;
    case CaptureReport:
        kind = ModelDocuments::Kind::Capture;
        break;
    case PerformanceReport:
        break;
    default:
        return nullptr;
    }
    auto created =
        std::make_unique<ModelReport>(kind, study_->releases(), study_->sites(), study_->years(),
                                      study_->summary(), nullptr, reportRunner_.get());
    created->setPrecisions(settings().value(RivuletSettings::PrecisionEst).toInt(),
                           settings().value(RivuletSettings::PrecisionErr).toInt());
    created->setName(created->reportTitle());
    setReportedModel(*created);
    ModelReport* made = created.get();
    addReport(type, std::move(created));
    return made;
}

void RivuletWindow::showReportSubWindow(int type)
{
    auto* shown = qobject_cast<ModelReport*>(ensureReport(type));
    if (!shown)
        return;
    setReportedModel(*shown);
    shown->setPrecisions(settings().value(RivuletSettings::PrecisionEst).toInt(),
                         settings().value(RivuletSettings::PrecisionErr).toInt());
    if (reportRunner_->isRunning())
        reportRunner_->wait();
    shown->run();
    const int windowKey = windowKeyOfReport(type);
    if (!subWindow(windowKey)) {
        QMdiSubWindow* window = addReportWindow(type, windowKey);
        window->setWindowTitle(shown->name());
        window->setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
        setGeometryInsideArea(window, QRect(100, 100, 600, 400));
    }
    shown->updateText();
    showSubWindow(windowKey);
    updateReportActions(subWindow(windowKey));
}

void RivuletWindow::showModelAverageReport()
{
    auto* shown = qobject_cast<ModelAverageReport*>(report(ModelAverageReportType));
    if (!shown) {
        auto created = std::make_unique<ModelAverageReport>(
            study_->releases(), study_->sites(), study_->years(), study_->catalogue(),
            study_->summary(), study_->nextDetections(), study_->results(), reportRunner_.get());
        created->setName(created->reportTitle());
        shown = created.get();
        addReport(ModelAverageReportType, std::move(created));
    }
    shown->setPrecisions(settings().value(RivuletSettings::PrecisionEst).toInt(),
                         settings().value(RivuletSettings::PrecisionErr).toInt());
    shown->setParameterCount(ModelSelectionCriterion::countFromSettings());
    if (reportRunner_->isRunning())
        reportRunner_->wait();
    shown->run();
    if (!subWindow(ModelAverageReportWindow)) {
        QMdiSubWindow* window = addReportWindow(ModelAverageReportType, ModelAverageReportWindow);
        window->setWindowTitle(shown->name());
        window->setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
        setGeometryInsideArea(window, QRect(100, 100, 760, 400));
    }
    shown->updateText();
    showSubWindow(ModelAverageReportWindow);
    updateReportActions(subWindow(ModelAverageReportWindow));
}

void RivuletWindow::onPrecisionSettingsChanged()
{
    prepareWindow(DiagramWindow);
    const int estimates = settings().value(RivuletSettings::PrecisionEst).toInt();
    const int errors = settings().value(RivuletSettings::PrecisionErr).toInt();
    QList<lum::ThreadRunnable*> visible;
    for (int type : modelReportTypes) {
        ModelReport* shown = modelReport(type);
        if (!shown)
            continue;
        shown->setPrecisions(estimates, errors);
        setReportedModel(*shown);
        QMdiSubWindow* window = subWindow(windowKeyOfReport(type));
        if (window && window->isVisible())
            visible << shown;
        else
            shown->setDirty(true);
    }
    if (visible.isEmpty())
        return;
    if (reportRunner_->isRunning())
        reportRunner_->wait();
    reportRunner_->setRunnables(visible);
    reportRunner_->start();
}

void RivuletWindow::onReportComplete()
{
    for (lum::ThreadRunnable* job : reportRunner_->runnables()) {
        for (int type : modelReportTypes) {
            if (report(type) != job)
                continue;
            report(type)->updateText();
            showSubWindow(windowKeyOfReport(type));
        }
    }
}

void RivuletWindow::updateWidgets()
{
    for (int key : dataWindows)
        prepareWindow(key);
}

void RivuletWindow::updateConfiguration()
{
    setActionsEnabled(false);
    dropResultWindows();
    startUpdate();
}

void RivuletWindow::createWindow(int key)
{
    if (subWindow(key))
        return;
    if (key == ModelComparisonWindow) {
        auto* view = new QTableView;
        view->setWindowTitle(QStringLiteral("Model Comparison"));
        view->setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
        view->setModel(new ResultsTableModel(*modelTree_, view));
        view->setSelectionMode(QAbstractItemView::ContiguousSelection);
        lum::TableCopy::install(view);
        view->setWordWrap(true);
        view->resizeColumnsToContents();
        QMdiSubWindow* window = createSubWindow(key, view);
        window->setWindowTitle(QStringLiteral("Model Comparison"));
        window->setWindowIcon(view->windowIcon());
        int width = view->verticalHeader()->width() + 20;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            width += view->columnWidth(c);
        int height = view->horizontalHeader()->height() + 40;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            height += view->rowHeight(r);
        // The whole table when it fits; otherwise the model names wrap onto more lines, never
        // cut short, so that the figures stay in sight.
        const QSize room = mdiArea()->viewport()->size() - QSize(20, 20);
        if (width > room.width() && room.width() > 0) {
            const int excess = width - room.width();
            view->setColumnWidth(0, std::max(260, view->columnWidth(0) - excess));
            width = room.width();
        }
        view->resizeRowsToContents();
        // Rows grow with what they show once the models are fitted or the figures change.
        const auto fitRows = [view] { view->resizeRowsToContents(); };
        connect(view->model(), &QAbstractItemModel::modelReset, view, fitRows);
        connect(view->model(), &QAbstractItemModel::dataChanged, view, fitRows);
        height = view->horizontalHeader()->height() + 40;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            height += view->rowHeight(r);
        if (room.height() > 0)
            height = std::min(height, room.height());
        window->setGeometry(10, 10, width, height);
    } else if (key == GoodnessOfFitWindow) {
        auto* widget = new GoodnessOfFitWidget(*study_);
        placeWindow(key, widget, widget->windowTitle(), QRect(100, 100, 760, 700));
    } else if (key == StudyDesignWindow) {
        auto* widget = new StudyDesignWidget(*study_, prompts());
        placeWindow(key, widget, widget->windowTitle(), QRect(100, 100, 1000, 760));
    } else if (key == DiagramWindow) {
        auto* widget = new EstimatesWidget(
            study_->releases(), study_->sites(), study_->years(), study_->summary(),
            settings().value(RivuletSettings::PrecisionEst).toInt(),
            settings().value(RivuletSettings::PrecisionErr).toInt(),
            selectedModelItem_ ? selectedModelItem_->result() : nullptr);
        placeWindow(key, widget, widget->windowTitle(), QRect(100, 100, 760, 660));
        connect(
            widget, &EstimatesWidget::doneClicked, this, [this] { closeSubWindow(DiagramWindow); },
            Qt::QueuedConnection);
    } else if (key == NextDetectionsWindow) {
        auto* widget = new NextDetectionsWidget(study_->releases(), study_->sites(),
                                                study_->years(), study_->nextDetections());
        placeWindow(key, widget, QStringLiteral("Next Detections"), QRect(100, 100, 600, 400));
        connect(
            widget, &NextDetectionsWidget::doneClicked, this,
            [this] { closeSubWindow(NextDetectionsWindow); }, Qt::QueuedConnection);
    } else if (key == ReleasesCohortsWindow) {
        // A counts file fixes its releases.
        if (mock_)
            return;
        auto* widget = new ConfigReleasesCohortsWidget(*study_, prompts());
        placeWindow(key, widget, widget->windowTitle(), QRect(100, 100, 600, 400));
        connect(widget, &ConfigReleasesCohortsWidget::dataChanged, this,
                &RivuletWindow::updateConfiguration, Qt::QueuedConnection);
        connect(
            widget, &ConfigReleasesCohortsWidget::doneClicked, this,
            [this] { closeSubWindow(ReleasesCohortsWindow); }, Qt::QueuedConnection);
    } else if (key == SitesYearsWindow) {
        ConfigSitesYearsWidgetBase* widget = nullptr;
        if (mock_) {
            widget = new ShowSitesYearsWidget(study_->releases(), study_->sites(), study_->years(),
                                              study_->summary());
        } else {
            auto* editable = new ConfigSitesYearsWidget(
                *study_->databaseReleases(), *study_->databaseSites(), *study_->databaseYears(),
                study_->summary(), study_->database());
            connect(editable, &ConfigSitesYearsWidget::dataChanged, this,
                    &RivuletWindow::updateConfiguration, Qt::QueuedConnection);
            widget = editable;
        }
        widget->rebuildTabs();
        placeWindow(key, widget, widget->windowTitle(), QRect(100, 100, 600, 400));
        connect(
            widget, &ConfigSitesYearsWidgetBase::doneClicked, this,
            [this] { closeSubWindow(SitesYearsWindow); }, Qt::QueuedConnection);
    } else if (key == SettingsWindow) {
        auto* widget = new RivuletSettingsWidget(prompts());
        placeWindow(key, widget, QStringLiteral("Settings"), QRect(100, 100, 600, 400));
        connect(widget, &RivuletSettingsWidget::precisionSettingsChanged, this,
                &RivuletWindow::onPrecisionSettingsChanged);
        connect(widget, &RivuletSettingsWidget::uiSettingsChanged, this,
                &RivuletWindow::onUiSettingsChanged);
        connect(widget, &RivuletSettingsWidget::doneClicked, this, &RivuletWindow::onSettingsDone);
    }
}

void RivuletWindow::placeWindow(int key, QWidget* widget, const QString& title,
                                const QRect& geometry)
{
    QMdiSubWindow* window = createSubWindow(key, widget);
    window->setWindowTitle(title);
    window->setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    setGeometryInsideArea(window, geometry);
}

void RivuletWindow::setGeometryInsideArea(QMdiSubWindow* window, const QRect& geometry)
{
    // Never below what the window's layout needs: squeezed further, its rows overlap.
    QRect placed = geometry;
    placed.setSize(placed.size().expandedTo(window->minimumSizeHint()));
    // Inside the document area as it is now: moved up and left first, made smaller only
    // where the area itself is smaller, so that no edge opens out of sight.
    const QSize area = mdiArea()->viewport()->size();
    if (area.width() > 0 && area.height() > 0) {
        placed.setSize(placed.size().boundedTo(area));
        placed.moveLeft(std::max(0, std::min(placed.left(), area.width() - placed.width())));
        placed.moveTop(std::max(0, std::min(placed.top(), area.height() - placed.height())));
    }
    window->setGeometry(placed);
}

void RivuletWindow::prepareWindow(int key)
{
    QMdiSubWindow* window = subWindow(key);
    if (!window)
        return;
    if (auto* diagram = qobject_cast<EstimatesWidget*>(windowWidget(DiagramWindow));
        diagram && key == DiagramWindow) {
        diagram->setResult(selectedModelItem_ ? selectedModelItem_->result() : nullptr);
        diagram->setPrecision(settings().value(RivuletSettings::PrecisionEst).toInt(),
                              settings().value(RivuletSettings::PrecisionErr).toInt());
    }
    window->widget()->update();
}

void RivuletWindow::showWindow(int key, bool modal)
{
    createWindow(key);
    showSubWindow(key, modal);
}

void RivuletWindow::showSettingsWidget()
{
    showWindow(SettingsWindow);
}

void RivuletWindow::onUiSettingsChanged()
{
    // A running update rebuilds the catalogue the model entries are read from.
    if (runner().isRunning()) {
        navStale_ = true;
        return;
    }
    navStale_ = false;
    markBestModel();
    const int selected = currentModelKey_;
    buildNavigation();
    if (lum::NavPanelItem* item = navItem(selected))
        navModel()->setItemSelected(item, true);
    setActionsEnabled(true);
}

void RivuletWindow::onSettingsDone()
{
    auto* widget = qobject_cast<RivuletSettingsWidget*>(windowWidget(SettingsWindow));
    if (widget) {
        rememberSitesConfig(widget->alternateSitesConfigFile());
    }
    deleteSubWindow(SettingsWindow);
}

void RivuletWindow::onReset()
{
    if (prompts().ask(this, QMessageBox::Warning, QStringLiteral("Reset"),
                      QStringLiteral("This will delete all data. Continue?"),
                      QMessageBox::Ok | QMessageBox::Cancel,
                      QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    setActionsEnabled(false);
    dropResultWindows();
    closeSubWindow(ReleasesCohortsWindow);
    closeSubWindow(SitesYearsWindow);
    QString error;
    if (!study_->clearAllData(&error)) {
        prompts().tell(this, QMessageBox::Critical, QStringLiteral("Reset"),
                       QStringLiteral("The data could not be deleted: %1").arg(error));
        setActionsEnabled(true);
        return;
    }
    out(QStringLiteral("All data deleted."));
    startUpdate();
}

void RivuletWindow::saveNextDetections()
{
    const QString path = prompts().saveFileName(
        this, QStringLiteral("Next detections file name"),
        settings().value(RivuletSettings::DiagDir).toString(), QStringLiteral("Text File (*.txt)"));
    if (path.isEmpty()) {
        setActionsEnabled(true);
        return;
    }
    setActionsEnabled(false);
    pendingNextDetectionsFile_ = path;
    startJob(actions_->saveNextDetections(path), SaveNextDetectionsRun);
}

void RivuletWindow::doActionSaveToCsv()
{
    QMdiSubWindow* window = activeOrFirstSubWindow();
    const int key = keyOfSubWindow(window);
    const bool averaged = window && key == ModelAverageReportWindow;
    if (!window || ((key < SurvivalReportWindow || key > PerformanceReportWindow) && !averaged))
        return;
    // A name typed without an extension still makes a file that opens as CSV.
    const QString path = lum::ReportWriter::withSuffix(
        prompts().saveFileName(this, QStringLiteral("Save CSV report"), QString(),
                               lum::ReportWriter::csvFilter()),
        QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    QString text;
    if (averaged) {
        text = actions_->averagedEstimates(ModelSelectionCriterion::countFromSettings()).csv();
    } else if (ModelReport* shown = modelReport(key - SurvivalReportWindow)) {
        // The model shown now, even when its window has not been brought up to date.
        setReportedModel(*shown);
        if (const std::optional<ReportDocument> document = shown->buildModelDocument())
            text = CsvRenderer::render(*document);
    }
    lum::ReportWriter file;
    const bool written = file.writeCsv(path, text);
    if (!written) {
        prompts().tell(this, QMessageBox::Critical, messageTitle_,
                       lum::ReportWriter::cantOpenMessage(path));
        return;
    }
    out(lum::ReportWriter::createdMessage(path));
    prompts().tell(this, QMessageBox::Information, messageTitle_,
                   lum::ReportWriter::createdMessage(path));
}

void RivuletWindow::rememberReportFolder(const QString& filePath)
{
    settings().setDirectoryOf(RivuletSettings::PrevFile, filePath);
}

void RivuletWindow::onHelpAbout()
{
    if (!aboutDialog_) {
        aboutDialog_ = new RivuletInfoDialog(this);
        aboutDialog_->setWindowTitle(messageTitle_);
        QString version = QSettings().value(QStringLiteral("Version")).toString();
        // Installations that never stored a version show the version this program was built as.
        if (version.isEmpty())
            version = QCoreApplication::applicationVersion();
        aboutDialog_->setVersion(version);
    }
    aboutDialog_->setModal(true);
    aboutDialog_->show();
    aboutDialog_->raise();
}

void RivuletWindow::widenSummaryDock()
{
    QDockWidget* summaryDock = dock(ReleasesSummaryDock);
    auto* viewer = summaryDock ? qobject_cast<lum::QtRTextWidget*>(summaryDock->widget()) : nullptr;
    if (!viewer || summaryDock->isFloating())
        return;
    // The summary's table as wide as it is, up to a third of the window: a dock narrower than
    // the table hides its last columns.
    QTextEdit* editor = viewer->editor();
    const QScrollBar* bar = editor->verticalScrollBar();
    const int needed = static_cast<int>(std::ceil(editor->document()->idealWidth())) +
                       summaryDock->width() - editor->viewport()->width() +
                       (bar->isVisible() ? 0 : bar->sizeHint().width());
    const int width = std::min(needed, this->width() / 3);
    if (width > summaryDock->width())
        resizeDocks({summaryDock}, {width}, Qt::Horizontal);
}

void RivuletWindow::showManual()
{
    // The folders as they are now: the open study changes with the File menu.
    const lum::SqliteDb* db = study_->database().database();
    const QString open = db && db->isOpen() ? db->path() : QStringLiteral("(none)");
    const QMap<QString, QString> places = {
        {QStringLiteral("STUDY"), QDir::toNativeSeparators(open)},
        {QStringLiteral("DEFAULT_STUDY"),
         QDir::toNativeSeparators(settings().dbPath(RivuletSettings::DbName))},
        {QStringLiteral("SITES_FOLDER"), QDir::toNativeSeparators(settings().sitesConfigDir())},
        {QStringLiteral("SETTINGS"), QDir::toNativeSeparators(QSettings().fileName())}};
    if (!manual_)
        manual_ = new ManualWindow(places, this);
    else
        manual_->setHtml(ManualWindow::manualHtml(places));
    manual_->show();
    manual_->raise();
    manual_->activateWindow();
}

void RivuletWindow::showStudyFile()
{
    const lum::SqliteDb* db = study_->database().database();
    const QString path = mock_ || !db || !db->isOpen() ? QString() : db->path();
    setWindowFilePath(path);
    setWindowTitle(
        path.isEmpty()
            ? QStringLiteral("Rivulet Model Estimation")
            : QStringLiteral("%1 - Rivulet Model Estimation").arg(QDir::toNativeSeparators(path)));
}

bool RivuletWindow::openStudyFile(const QString& path)
{
    if (mock_ || runner().isRunning())
        return false;
    if (reportRunner_->isRunning()) {
        reportRunner_->cancel();
        reportRunner_->wait();
    }
    // Every window showing the study goes before the file under it changes.
    dropResultWindows();
    for (int key : dataWindows)
        deleteSubWindow(key);
    const StartupResult opened = AppStartup::openStudy(study_->database(), path);
    if (!opened.ok()) {
        err(opened.error);
        prompts().tell(this, QMessageBox::Critical, messageTitle_, opened.error);
        showStudyFile();
        startUpdate();
        return false;
    }
    out(QStringLiteral("Study %1: %2")
            .arg(opened.newDatabase ? QStringLiteral("created") : QStringLiteral("opened"),
                 QDir::toNativeSeparators(opened.databasePath)));
    hasData_ = false;
    hasAgeData_ = false;
    showStudyFile();
    setActionsEnabled(false);
    startUpdate();
    return true;
}

void RivuletWindow::splashScreenTimeout()
{
    if (!splash_)
        return;
    splash_->clearMessage();
    splash_->close();
}

void RivuletWindow::onShowSplashScreen()
{
    if (splash_)
        splash_->show();
}

void RivuletWindow::closeEvent(QCloseEvent* event)
{
    settings().setValue(RivuletSettings::GeomMainWindow, saveGeometry());
    settings().setValue(RivuletSettings::StateMainWindow, saveState());
    lum::LumMainWindow::closeEvent(event);
}

} // namespace rivulet
