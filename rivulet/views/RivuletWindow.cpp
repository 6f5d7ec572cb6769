#include "rivulet/views/RivuletWindow.h"

#include "lum/core/FileReplacer.h"
#include "lum/db/SqliteDb.h"
#include "lum/report/ReportWriter.h"
#include "lum/thread/ThreadRunner.h"
#include "lum/ui/NavPanelItem.h"
#include "lum/ui/NavPanelModel.h"
#include "lum/ui/NavPanelView.h"
#include "lum/ui/QtRTextWidget.h"
#include "lum/ui/ReportViewers.h"
#include "lum/ui/UserPrompts.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/reports/ReleaseSummaryReport.h"
#include "rivulet/results/ModelSelectionCriterion.h"
#include "rivulet/settings/AppStartup.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"
#include "rivulet/study/StudySession.h"
#include "rivulet/views/ConfigReleasesCohortsWidget.h"
#include "rivulet/views/ConfigSitesYearsWidget.h"
#include "rivulet/views/EstimatesWidget.h"
#include "rivulet/views/GoodnessOfFitWidget.h"
#include "rivulet/views/ManualWindow.h"
#include "rivulet/views/ModelEstimateItem.h"
#include "rivulet/views/ModelEstimateModel.h"
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
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplashScreen>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace rivulet {

namespace {

RivuletSettings& settings()
{
    return RivuletSettings::instance();
}

// Windows that show the study's data and must go before it.
constexpr std::array<View, 7> dataWindows = {
    View::Diagram,         View::NextDetections, View::ReleasesCohorts, View::SitesYears,
    View::ModelComparison, View::GoodnessOfFit,  View::StudyDesign};

} // namespace

RivuletWindow::RivuletWindow(QSplashScreen* splash, RivuletDb& rdb, QWidget* parent,
                             const QString& name, Qt::WindowFlags flags,
                             const QString& sitesConfigPath)
    : lum::LumMainWindow(parent, name, flags), m_splash(splash),
      m_countsFile(settings().countsFileInput()), m_sampleFolder(AppStartup::sampleStudyFolder()),
      m_navigation(*this, nav::standard())
{
    m_updateProgressDialog = new QProgressDialog(this);
    m_updateProgressDialog->setWindowTitle(name);
    m_updateProgressDialog->setWindowModality(Qt::WindowModal);
    m_updateProgressDialog->reset();
    m_updateProgressDialog->hide();
    // Its Cancel stops the update as the other progress boxes stop their runs.
    connect(m_updateProgressDialog, &QProgressDialog::canceled, this, [this] {
        if (runKind() == Run::Update)
            runner().setCanceled(true);
    });

    m_session = std::make_unique<StudySession>(m_countsFile ? Study::CountsFile : Study::Database,
                                               rdb, runner());

    setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    progressDialog()->setAutoClose(false);

    connect(addAction(MenuId::Help, AppAction::Manual, QStringLiteral("Rivulet Manual")),
            &QAction::triggered, this, &RivuletWindow::showManual);
    action(AppAction::Manual)->setShortcut(QKeySequence::HelpContents);
    connect(addAction(MenuId::Help, AppAction::ShowSplash,
                      QStringLiteral("Show Initial Startup Window")),
            &QAction::triggered, this, &RivuletWindow::onShowSplashScreen);
    addMenu(AppMenu::Edit, QStringLiteral("&Edit"), MenuId::View);
    connect(addAction(AppMenu::Edit, AppAction::Settings, QStringLiteral("Settings")),
            &QAction::triggered, this, &RivuletWindow::showSettingsWidget);
    action(AppAction::Settings)->setShortcut(QKeySequence::Preferences);
    addMenu(AppMenu::Data, QStringLiteral("&Data"), AppMenu::Edit);
    connect(
        addAction(AppMenu::Data, AppAction::OpenSample, QStringLiteral("Open the Sample Study")),
        &QAction::triggered, this, &RivuletWindow::openSampleStudy);
    // Simulated counts have no observations to load.
    action(AppAction::OpenSample)->setVisible(!m_countsFile && !m_sampleFolder.isEmpty());
    menu(AppMenu::Data)->addSeparator();
    connect(addAction(AppMenu::Data, AppAction::ClearAllData, QStringLiteral("Clear All Data")),
            &QAction::triggered, this, &RivuletWindow::onReset);

    if (!m_countsFile && rdb.database()) {
        m_studyFileMenu = new StudyFileMenu(
            this, menu(MenuId::File), [this]() -> lum::UserPrompts& { return prompts(); },
            *rdb.database(), [this](const QString& path) { return openStudyFile(path); });
        if (rdb.database()->isOpen())
            m_studyFileMenu->noteOpened(rdb.database()->path());
        connect(m_studyFileMenu, &StudyFileMenu::studySaved, this, [this](const QString& path) {
            out(QStringLiteral("Study saved as %1; the copy is the open study now.")
                    .arg(QDir::toNativeSeparators(path)));
        });
    }
    showStudyFile();

    action(ActionId::Save)->setVisible(false);
    for (ActionId id :
         {ActionId::Print, ActionId::PrintPreview, ActionId::SaveAs, ActionId::SaveToCsv})
        setActionEnabled(id, false);

    m_reports = new ReportPanel(*this, study(), [this] { return m_selectedModelItem; });
    m_modelTree = new ModelEstimateModel(study().catalogue(), this);
    ViewFactory::Host host;
    host.close = [this](View view) { closeSubWindow(view); };
    host.configurationChanged = [this] { updateConfiguration(); };
    host.precisionChanged = [this] { onPrecisionSettingsChanged(); };
    host.uiChanged = [this] { onUiSettingsChanged(); };
    host.settingsDone = [this] { onSettingsDone(); };
    m_views =
        std::make_unique<ViewFactory>(*this, study(), *m_modelTree, m_countsFile, std::move(host));
    m_modelTree->rebuild();
    buildNavigation();

    const QByteArray geometry = settings().mainWindowGeometry();
    if (geometry.isEmpty()) {
        // Most of the screen on a first start: the docks and the document area share it.
        const QRect screen = QGuiApplication::primaryScreen()
                                 ? QGuiApplication::primaryScreen()->availableGeometry()
                                 : QRect(0, 0, 1333, 888);
        const QSize size(std::max(1200, screen.width() * 9 / 10),
                         std::max(800, screen.height() * 9 / 10));
        resize(size.boundedTo(screen.size()));
        move(screen.center() - rect().center());
    } else {
        restoreGeometry(geometry);
    }

    const QString folder = settings().sitesConfigDir();
    if (!folder.isEmpty())
        m_defaultSitesConfigPath = folder + QDir::separator() + settings().sitesConfigFileName();
    if (!sitesConfigPath.isEmpty())
        m_defaultSitesConfigPath = sitesConfigPath;
    // The file chosen in an earlier run, unless the command line names one for this run.
    const QString chosen = settings().sitesConfigChoice();
    m_sitesConfigPath =
        sitesConfigPath.isEmpty() && !chosen.isEmpty() ? chosen : m_defaultSitesConfigPath;
    study().setSitesConfigPath(m_sitesConfigPath);

    auto* dock = new QDockWidget(QStringLiteral("Releases Summary"), this);
    dock->setObjectName(QStringLiteral("releasesSummaryDock"));
    dock->setWidget(lum::ReportViewers::of(m_reports->releaseSummary()).textWidget());
    addDock(AppDock::ReleasesSummary, dock, Qt::RightDockWidgetArea);
    // Room for the item names and the summary's four columns; the document area keeps the rest.
    // The panel as wide as its longest entry (in the desktop's font), no wider.
    int navigationWidth = 410;
    if (navView()) {
        navView()->resizeColumnToContents(0);
        navigationWidth = std::max(300, navView()->columnWidth(0) + 40);
    }
    resizeDocks({this->dock(DockId::Navigation), dock}, {navigationWidth, 270}, Qt::Horizontal);
    resizeDocks({outputDock()}, {170}, Qt::Vertical);
    // The docks as the user left them, over the defaults above.
    const QByteArray docks = settings().mainWindowState();
    if (!docks.isEmpty())
        restoreState(docks);

    setActionsEnabled(false);
    startUpdate();
    updateNav();
}

RivuletWindow::~RivuletWindow()
{
    if (runner().isRunning()) {
        runner().cancel();
        runner().wait();
    }
    runner().disconnect(this);
    // Reports and windows read the study and the model tree; they go first.
    m_reports->removeAll();
    if (auto* gof = qobject_cast<GoodnessOfFitWidget*>(windowWidget(View::GoodnessOfFit)))
        gof->stop();
    if (auto* design = qobject_cast<StudyDesignWidget*>(windowWidget(View::StudyDesign)))
        design->stop();
    for (View view : dataWindows)
        deleteSubWindow(view);
}

NavState RivuletWindow::navState(bool idle) const
{
    NavState state;
    state.countsFile = m_countsFile;
    state.diagnostics = settings().diagnosticsEnabled();
    state.expert = settings().expertMode();
    state.idle = idle;
    state.hasData = hasData();
    state.modelSelected = m_currentModel.has_value();
    state.fitted = !study().results().isEmpty();
    return state;
}

void RivuletWindow::buildNavigation()
{
    m_navigation.build(navState(false), study().catalogue(), m_currentModel);
}

void RivuletWindow::openEntry(const NavEntry& entry)
{
    if (entry.open)
        entry.open(*this);
}

void RivuletWindow::addNavEntry(const NavEntry& entry)
{
    m_navigation.add(entry);
    onUiSettingsChanged();
}

void RivuletWindow::setActionsEnabled(bool enable)
{
    if (enable && m_navStale) {
        onUiSettingsChanged();
        return;
    }
    if (m_studyFileMenu)
        m_studyFileMenu->setEnabled(enable);
    setActionEnabled(AppAction::ClearAllData, enable && hasData());
    setActionEnabled(AppAction::OpenSample, enable);
    m_navigation.enable(navState(enable), [this](const EquatingScheme& model) {
        return m_modelTree->isEstimated(model);
    });
    // Headings stay black; their entries show the state.
    updateNav();
}

void RivuletWindow::openView(View view)
{
    createWindow(view);
    prepareWindow(view);
    // Choices left unapplied when the window was last shown are forgotten.
    if (auto* releases =
            qobject_cast<ConfigReleasesCohortsWidget*>(windowWidget(View::ReleasesCohorts));
        releases && view == View::ReleasesCohorts)
        releases->reload();
    showSubWindow(view);
}

void RivuletWindow::dropResultWindows()
{
    deleteSubWindow(View::Diagram);
    deleteSubWindow(View::ModelComparison);
    // Its figures are those of the data it ran on; a run still going is stopped now, before the
    // data change under it.
    if (auto* gof = qobject_cast<GoodnessOfFitWidget*>(windowWidget(View::GoodnessOfFit)))
        gof->stop();
    deleteSubWindow(View::GoodnessOfFit);
    // It runs on the results, which are about to go.
    if (auto* design = qobject_cast<StudyDesignWidget*>(windowWidget(View::StudyDesign)))
        design->stop();
    deleteSubWindow(View::StudyDesign);
    m_reports->dropResults();
    if (m_currentModel) {
        if (lum::NavPanelItem* item = navItem(*m_currentModel))
            navModel()->setItemSelected(item, false);
    }
    m_currentModel.reset();
    m_selectedModelItem = nullptr;
}

void RivuletWindow::loadObservations()
{
    if (m_countsFile)
        return;
    setActionsEnabled(false);
    if (!ensureSitesConfig()) {
        setActionsEnabled(true);
        return;
    }
    const QString path =
        prompts().openFileName(this, QStringLiteral("Select Data File"),
                               settings().previousFolder(), QStringLiteral("CSV File (*.csv)"));
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
    settings().setPreviousFolderOf(path);
    study().setSitesConfigPath(m_sitesConfigPath);
    m_flowEnd = loadFlowEnd();
    m_session->startLoad(path, QStringLiteral("Choose a sites configuration file in Edit > "
                                              "Settings > Sites Configuration."));
}

QString RivuletWindow::sitesConfigProblem() const
{
    if (m_sitesConfigPath.isEmpty())
        return QStringLiteral("the shared folder of the sites configuration cannot be created");
    const QFileInfo file(m_sitesConfigPath);
    const QString name = QDir::toNativeSeparators(m_sitesConfigPath);
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
        prompts().tell(this, QMessageBox::Critical, m_messageTitle, text);
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
    settings().setSitesConfigChoice(path);
    // A choice made once must hold even if the program does not end cleanly.
    settings().sync();
    m_sitesConfigPath = path.isEmpty() ? m_defaultSitesConfigPath : path;
    study().setSitesConfigPath(m_sitesConfigPath);
}

void RivuletWindow::setConfigurationWindowsEnabled(bool enabled)
{
    for (View view : {View::ReleasesCohorts, View::SitesYears}) {
        if (QWidget* widget = windowWidget(view))
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
        prompts().tell(this, QMessageBox::Critical, m_messageTitle, QStringLiteral("No such file"));
        return;
    }
    QTextStream in(&file);
    setActionsEnabled(false);
    dropResultWindows();
    if (const lum::Expected<void> read = study().readCountsFile(in); !read) {
        // The study keeps the data it had.
        const QString text =
            QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), read.error().text());
        err(text);
        prompts().tell(this, QMessageBox::Critical, m_messageTitle, text);
        setActionsEnabled(true);
        return;
    }
    out(QStringLiteral("Simulated data loaded from %1.").arg(QDir::toNativeSeparators(path)));
    m_session->markLoaded();
    startUpdate();
}

void RivuletWindow::loadAgeData()
{
    const QString path =
        prompts().openFileName(this, QStringLiteral("Select Age Data File"),
                               settings().previousFolder(), QStringLiteral("CSV File (*.csv)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        prompts().tell(this, QMessageBox::Critical, m_messageTitle, QStringLiteral("No such file"));
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
    m_flowEnd = agesFlowEnd();
    m_session->startAges(path);
}

void RivuletWindow::openSampleStudy()
{
    if (m_countsFile || m_sampleFolder.isEmpty())
        return;
    if (hasData() &&
        prompts().ask(this, QMessageBox::Warning, QStringLiteral("Open the Sample Study"),
                      QStringLiteral("The sample study replaces the loaded data. Continue?"),
                      QMessageBox::Ok | QMessageBox::Cancel,
                      QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    const QDir folder(m_sampleFolder);
    setActionsEnabled(false);
    dropResultWindows();
    closeSubWindow(View::ReleasesCohorts);
    closeSubWindow(View::SitesYears);
    progressDialog()->setRange(0, 100);
    progressDialog()->setValue(0);
    progressDialog()->setLabelText(QStringLiteral("Loading the sample study..."));
    showProgressDialog();
    // The sample's sites are those of its own configuration, whatever the user's file holds.
    study().setSitesConfigPath(folder.filePath(QStringLiteral("sites_config.txt")));
    m_flowEnd = loadFlowEnd();
    m_session->startLoad(folder.filePath(QStringLiteral("observations.csv")), QString(),
                         folder.filePath(QStringLiteral("ages.csv")));
}

void RivuletWindow::startUpdate()
{
    // Results belong to the data they were fitted on.
    dropResultWindows();
    // The counts it shows are about to be derived again.
    deleteSubWindow(View::NextDetections);
    // The configuration views read the summary the update rewrites: no edits, no tab
    // changes until it is done.
    setConfigurationWindowsEnabled(false);
    study().clearResults();
    m_modelTree->rebuild();
    if (m_splash && m_splash->isVisible()) {
        m_splash->showMessage(QStringLiteral("Loading data..."), Qt::AlignHCenter | Qt::AlignBottom,
                              Qt::white);
    } else {
        m_updateProgressDialog->setLabelText(QStringLiteral("Updating..."));
        m_updateProgressDialog->setRange(0, 0);
        // Sized for its label, bar and button: a busy bar alone gives too short a box.
        m_updateProgressDialog->resize(
            m_updateProgressDialog->sizeHint().expandedTo(progressDialog()->sizeHint()));
        m_updateProgressDialog->show();
    }
    m_flowEnd = updateFlowEnd();
    m_session->startUpdate();
}

void RivuletWindow::onUpdateComplete()
{
    m_updateProgressDialog->cancel();
    m_updateProgressDialog->hide();
    if (m_splash)
        m_splash->clearMessage();
    m_session->noteReleases();
    ReleaseSummaryReport& summary = m_reports->releaseSummary();
    summary.setDirty(true);
    summary.run();
    summary.updateText();
    widenSummaryDock();
    if (auto* sitesYears =
            qobject_cast<ConfigSitesYearsWidgetBase*>(windowWidget(View::SitesYears))) {
        sitesYears->rebuildTabs();
        sitesYears->setEnabled(true);
    }
    if (auto* releases =
            qobject_cast<ConfigReleasesCohortsWidget*>(windowWidget(View::ReleasesCohorts))) {
        releases->reload();
        releases->setEnabled(true);
    }
    m_modelTree->rebuild();
    m_currentModel.reset();
    m_selectedModelItem = nullptr;
    buildNavigation();
    if (study().resultsWereStored()) {
        out(QStringLiteral("The fits kept with the study were read back (%1 models).")
                .arg(study().results().count()));
        processEstimationResults();
    }
    setActionsEnabled(true);
    updateNav();
}

void RivuletWindow::fitAllModels()
{
    if (study().catalogue().fitList().empty()) {
        prompts().tell(this, QMessageBox::Critical, m_messageTitle,
                       QStringLiteral("None of the models are estimable."));
        return;
    }
    setActionsEnabled(false);
    dropResultWindows();
    m_modelTree->rebuild();
    study().clearResults();
    progressDialog()->setRange(0, 0);
    out(QStringLiteral("========================"));
    onRunProgressStatus(QStringLiteral("Estimating ..."));
    showProgressDialog();
    m_flowEnd = fitFlowEnd();
    m_session->startFit();
}

void RivuletWindow::onRunComplete()
{
    const StudySession::Ending ending = m_session->complete();
    stopProgress();
    const FlowEnd flow = std::exchange(m_flowEnd, FlowEnd());
    if (flow.completed && flow.completed(ending) == AfterFlow::Continues)
        return;
    updateNav();
    setActionsEnabled(true);
}

void RivuletWindow::endProgress()
{
    stopProgress();
    m_updateProgressDialog->hide();
}

void RivuletWindow::onRunTerminated()
{
    const StudySession::Ending ending = m_session->canceled();
    endProgress();
    const FlowEnd flow = std::exchange(m_flowEnd, FlowEnd());
    if (flow.canceled && flow.canceled(ending) == AfterFlow::Continues)
        return;
    setActionsEnabled(true);
}

void RivuletWindow::onRunFailed(int, const QString& text)
{
    const FlowEnd flow = std::exchange(m_flowEnd, FlowEnd());
    if (flow.tellFailure)
        flow.tellFailure(text);
    else
        showRunError(text);
    const StudySession::Ending ending = m_session->failed();
    endProgress();
    if (flow.failed && flow.failed(ending) == AfterFlow::Continues)
        return;
    setActionsEnabled(true);
}

RivuletWindow::FlowEnd RivuletWindow::loadFlowEnd()
{
    FlowEnd flow;
    flow.completed = [this](const StudySession::Ending& ending) {
        out(QStringLiteral("Observation data loaded."));
        // The configuration windows show the study that has been replaced.
        closeSubWindow(View::ReleasesCohorts);
        closeSubWindow(View::SitesYears);
        if (!ending.agesNext.isEmpty()) {
            // The update follows the ages, which give the tags their cohorts.
            startAgesJob(ending.agesNext);
            return AfterFlow::Continues;
        }
        startUpdate();
        return AfterFlow::Continues;
    };
    flow.canceled = [this](const StudySession::Ending& ending) {
        if (ending.stored) {
            warn(QStringLiteral("Cancel came after the new study was stored: the study now "
                                "holds the loaded data, and is being brought up to date."));
            closeSubWindow(View::ReleasesCohorts);
            closeSubWindow(View::SitesYears);
            startUpdate();
            return AfterFlow::Continues;
        }
        warn(QStringLiteral("Load Data canceled; the stored study is unchanged."));
        setConfigurationWindowsEnabled(true);
        return AfterFlow::Ready;
    };
    flow.failed = [this](const StudySession::Ending&) {
        // The load rolled back: the derived data, the results and the windows showing them
        // still match the stored study.
        warn(QStringLiteral("Load Data failed; the stored study is unchanged."));
        setConfigurationWindowsEnabled(true);
        return AfterFlow::Ready;
    };
    return flow;
}

RivuletWindow::FlowEnd RivuletWindow::agesFlowEnd()
{
    FlowEnd flow;
    flow.completed = [this](const StudySession::Ending&) {
        out(QStringLiteral("Age data loaded."));
        // Cohorts come from the ages: the derived data follow them.
        startUpdate();
        return AfterFlow::Continues;
    };
    flow.canceled = [this](const StudySession::Ending& ending) {
        if (ending.stored) {
            warn(QStringLiteral("Cancel came after the age data were stored: the tags have their "
                                "cohorts, and the study is being brought up to date."));
            startUpdate();
            return AfterFlow::Continues;
        }
        warn(QStringLiteral("Load Age Data canceled; the stored study is unchanged."));
        return AfterFlow::Ready;
    };
    flow.failed = [this](const StudySession::Ending&) {
        warn(QStringLiteral("Load Age Data failed; the stored ages are unchanged."));
        return AfterFlow::Ready;
    };
    return flow;
}

RivuletWindow::FlowEnd RivuletWindow::updateFlowEnd()
{
    FlowEnd flow;
    // A failed update still leaves a study to show: whatever was derived before it failed.
    flow.completed = flow.failed = [this](const StudySession::Ending&) {
        onUpdateComplete();
        return AfterFlow::Continues;
    };
    flow.canceled = [this](const StudySession::Ending&) {
        warn(QStringLiteral("Update canceled; the derived data may not match the stored data."));
        for (View view : {View::ReleasesCohorts, View::SitesYears}) {
            if (QWidget* widget = windowWidget(view))
                widget->setEnabled(true);
        }
        return AfterFlow::Ready;
    };
    return flow;
}

RivuletWindow::FlowEnd RivuletWindow::fitFlowEnd()
{
    FlowEnd flow;
    flow.completed = [this](const StudySession::Ending&) {
        out(QStringLiteral("Model estimation complete."));
        processEstimationResults();
        if (!study().results().isEmpty()) {
            createWindow(View::ModelComparison);
            showSubWindow(View::ModelComparison);
        }
        return AfterFlow::Ready;
    };
    flow.canceled = [this](const StudySession::Ending&) {
        warn(QStringLiteral("Model estimation canceled."));
        return AfterFlow::Ready;
    };
    flow.failed = [this](const StudySession::Ending&) {
        warn(QStringLiteral("Model estimation failed."));
        return AfterFlow::Ready;
    };
    return flow;
}

RivuletWindow::FlowEnd RivuletWindow::saveNextDetectionsFlowEnd()
{
    static const QString title = QStringLiteral("Save Next Detections");
    FlowEnd flow;
    flow.completed = [this](const StudySession::Ending&) {
        const QString& path = m_session->nextDetectionsFile();
        settings().setDiagnosticsFolder(path.left(path.lastIndexOf(
            path.contains(QLatin1Char('\\')) ? QLatin1Char('\\') : QLatin1Char('/'))));
        out(QStringLiteral("Next detections saved to %1.").arg(QDir::toNativeSeparators(path)));
        prompts().tell(this, QMessageBox::Information, title,
                       QStringLiteral("Next Detections successfully saved."));
        return AfterFlow::Ready;
    };
    flow.tellFailure = [this](const QString& text) {
        err(text);
        const QString& path = m_session->nextDetectionsFile();
        // A file that could not be opened gets the short sentence; a write that failed later
        // (a full disk) is told with the system's reason, not as a file that would not open.
        const bool notOpened = text.startsWith(lum::FileReplacer::cantOpenMessage(path));
        prompts().tell(
            this, QMessageBox::Critical, title,
            notOpened ? QStringLiteral("Unable to open file \"%1\" for writing.").arg(path) : text);
    };
    return flow;
}

void RivuletWindow::onRunStatus(const QString& text)
{
    lum::LumMainWindow::onRunStatus(text);
    // One large model can take most of a run: the progress says which one is being fitted.
    static const QString fitting = QStringLiteral("Fitting model ");
    const QString line = text.trimmed();
    if (runKind() == Run::Estimation && line.startsWith(fitting))
        progressDialog()->setLabelText(line + QStringLiteral("..."));
}

void RivuletWindow::processEstimationResults()
{
    const EstimationResults& results = study().results();
    if (results.isEmpty()) {
        const QString text = QStringLiteral("No models produced parameter estimates");
        err(text);
        prompts().tell(this, QMessageBox::Critical, QStringLiteral("Estimation Error"), text);
        return;
    }
    for (const ModelResult* result : results.results())
        m_modelTree->setResult(*result);
    for (const auto& definition : study().catalogue().definitionItems()) {
        const QString reason = results.failure(definition->scheme());
        if (!reason.isEmpty())
            m_modelTree->setFailure(definition->scheme(), reason);
    }
    markBestModel();
    if (const ModelEstimateItem* best = m_modelTree->best())
        selectModel(best->key());
}

void RivuletWindow::markBestModel()
{
    if (study().results().isEmpty() || !m_modelTree->hasResults())
        return;
    m_modelTree->setComparison(std::make_unique<const ModelComparison>(
        m_session->actions().comparison(ModelSelectionCriterion::fromSettings(),
                                        ModelSelectionCriterion::countFromSettings())));
}

void RivuletWindow::selectModel(const EquatingScheme& model)
{
    if (m_currentModel) {
        if (lum::NavPanelItem* previous = navItem(*m_currentModel))
            navModel()->setItemSelected(previous, false);
    }
    m_currentModel = model;
    if (lum::NavPanelItem* item = navItem(model))
        navModel()->setItemSelected(item, true);
    m_selectedModelItem = m_modelTree->findRow(model);
    if (m_selectedModelItem && m_selectedModelItem->isEstimated())
        m_modelTree->setSelected(m_selectedModelItem);
    onPrecisionSettingsChanged();
    updateWidgets();
    setActionsEnabled(true);
}

lum::QtReport* RivuletWindow::ensureReport(ReportKind kind)
{
    return m_reports->ensure(kind);
}

void RivuletWindow::showReport(ReportKind kind)
{
    m_reports->show(kind);
}

void RivuletWindow::showModelAverageReport()
{
    m_reports->show(ReportKind::ModelAverage);
}

void RivuletWindow::onPrecisionSettingsChanged()
{
    prepareWindow(View::Diagram);
    m_reports->refresh();
}

void RivuletWindow::updateWidgets()
{
    for (View view : dataWindows)
        prepareWindow(view);
}

void RivuletWindow::updateConfiguration()
{
    setActionsEnabled(false);
    dropResultWindows();
    startUpdate();
}

void RivuletWindow::createWindow(View view)
{
    m_views->make(view, m_selectedModelItem);
}

void RivuletWindow::prepareWindow(View key)
{
    QMdiSubWindow* window = subWindow(key);
    if (!window)
        return;
    if (auto* diagram = qobject_cast<EstimatesWidget*>(windowWidget(View::Diagram));
        diagram && key == View::Diagram) {
        diagram->setResult(m_selectedModelItem ? m_selectedModelItem->result() : nullptr);
        diagram->setPrecision(settings().estimatePrecision(), settings().errorPrecision());
    }
    window->widget()->update();
}

void RivuletWindow::showWindow(View key, bool modal)
{
    createWindow(key);
    showSubWindow(key, modal);
}

void RivuletWindow::showSettingsWidget()
{
    showWindow(View::Settings);
}

void RivuletWindow::onUiSettingsChanged()
{
    // A running update rebuilds the catalogue the model entries are read from.
    if (runner().isRunning()) {
        m_navStale = true;
        return;
    }
    m_navStale = false;
    markBestModel();
    buildNavigation();
    if (m_currentModel) {
        if (lum::NavPanelItem* item = navItem(*m_currentModel))
            navModel()->setItemSelected(item, true);
    }
    setActionsEnabled(true);
}

void RivuletWindow::onSettingsDone()
{
    auto* widget = qobject_cast<RivuletSettingsWidget*>(windowWidget(View::Settings));
    if (widget) {
        rememberSitesConfig(widget->alternateSitesConfigFile());
    }
    deleteSubWindow(View::Settings);
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
    closeSubWindow(View::ReleasesCohorts);
    closeSubWindow(View::SitesYears);
    if (const lum::Expected<void> cleared = m_session->clear(); !cleared) {
        prompts().tell(
            this, QMessageBox::Critical, QStringLiteral("Reset"),
            QStringLiteral("The data could not be deleted: %1").arg(cleared.error().text()));
        setActionsEnabled(true);
        return;
    }
    out(QStringLiteral("All data deleted."));
    startUpdate();
}

void RivuletWindow::saveNextDetections()
{
    const QString path =
        prompts().saveFileName(this, QStringLiteral("Next detections file name"),
                               settings().diagnosticsFolder(), QStringLiteral("Text File (*.txt)"));
    if (path.isEmpty()) {
        setActionsEnabled(true);
        return;
    }
    setActionsEnabled(false);
    m_flowEnd = saveNextDetectionsFlowEnd();
    m_session->startSaveNextDetections(path);
}

void RivuletWindow::doActionSaveToCsv()
{
    QMdiSubWindow* window = activeOrFirstSubWindow();
    const std::optional<lum::WindowKey> key = keyOfSubWindow(window);
    if (!window || !key || !key->isOf<ReportKind>())
        return;
    const ReportKind kind = key->as<ReportKind>();
    if (!ReportPanel::hasCsv(kind))
        return;
    // A name typed without an extension still makes a file that opens as CSV.
    const QString path = lum::ReportWriter::withSuffix(
        prompts().saveFileName(this, QStringLiteral("Save CSV report"), QString(),
                               lum::ReportWriter::csvFilter()),
        QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    const QString text = m_reports->csv(kind).value_or(QString());
    if (const lum::Expected<void> written = lum::ReportWriter().writeCsv(path, text); !written) {
        // The box says what could not be done; the output keeps the system's reason.
        err(written.error().text());
        prompts().tell(this, QMessageBox::Critical, m_messageTitle, written.error().message);
        return;
    }
    out(lum::ReportWriter::createdMessage(path));
    prompts().tell(this, QMessageBox::Information, m_messageTitle,
                   lum::ReportWriter::createdMessage(path));
}

void RivuletWindow::rememberReportFolder(const QString& filePath)
{
    settings().setPreviousFolderOf(filePath);
}

void RivuletWindow::onHelpAbout()
{
    if (!m_aboutDialog) {
        m_aboutDialog = new RivuletInfoDialog(this);
        m_aboutDialog->setWindowTitle(m_messageTitle);
        QString version = QSettings().value(QStringLiteral("Version")).toString();
        // Installations that never stored a version show the version this program was built as.
        if (version.isEmpty())
            version = QCoreApplication::applicationVersion();
        m_aboutDialog->setVersion(version);
    }
    m_aboutDialog->setModal(true);
    m_aboutDialog->show();
    m_aboutDialog->raise();
}

void RivuletWindow::widenSummaryDock()
{
    QDockWidget* summaryDock = dock(AppDock::ReleasesSummary);
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
    const lum::SqliteDb* db = study().database().database();
    const QString open = db && db->isOpen() ? db->path() : QStringLiteral("(none)");
    const QMap<QString, QString> places = {
        {QStringLiteral("STUDY"), QDir::toNativeSeparators(open)},
        {QStringLiteral("DEFAULT_STUDY"),
         QDir::toNativeSeparators(settings().studyDatabasePath().valueOr(QString()))},
        {QStringLiteral("SITES_FOLDER"), QDir::toNativeSeparators(settings().sitesConfigDir())},
        {QStringLiteral("SETTINGS"), QDir::toNativeSeparators(QSettings().fileName())}};
    if (!m_manual)
        m_manual = new ManualWindow(places, this);
    else
        m_manual->setHtml(ManualWindow::manualHtml(places));
    m_manual->show();
    m_manual->raise();
    m_manual->activateWindow();
}

void RivuletWindow::showStudyFile()
{
    const lum::SqliteDb* db = study().database().database();
    const QString path = m_countsFile || !db || !db->isOpen() ? QString() : db->path();
    setWindowFilePath(path);
    setWindowTitle(
        path.isEmpty()
            ? QStringLiteral("Rivulet Model Estimation")
            : QStringLiteral("%1 - Rivulet Model Estimation").arg(QDir::toNativeSeparators(path)));
}

bool RivuletWindow::openStudyFile(const QString& path)
{
    if (m_countsFile || runner().isRunning())
        return false;
    if (reportRunner().isRunning()) {
        reportRunner().cancel();
        reportRunner().wait();
    }
    // Every window showing the study goes before the file under it changes.
    dropResultWindows();
    for (View view : dataWindows)
        deleteSubWindow(view);
    const StartupResult opened = AppStartup::openStudy(study().database(), path);
    if (!opened.ok()) {
        err(opened.error);
        prompts().tell(this, QMessageBox::Critical, m_messageTitle, opened.error);
        showStudyFile();
        startUpdate();
        return false;
    }
    out(QStringLiteral("Study %1: %2")
            .arg(opened.newDatabase ? QStringLiteral("created") : QStringLiteral("opened"),
                 QDir::toNativeSeparators(opened.databasePath)));
    m_session->forgetData();
    showStudyFile();
    setActionsEnabled(false);
    startUpdate();
    return true;
}

void RivuletWindow::splashScreenTimeout()
{
    if (!m_splash)
        return;
    m_splash->clearMessage();
    m_splash->close();
}

void RivuletWindow::onShowSplashScreen()
{
    if (m_splash)
        m_splash->show();
}

void RivuletWindow::closeEvent(QCloseEvent* event)
{
    settings().setMainWindowGeometry(saveGeometry());
    settings().setMainWindowState(saveState());
    lum::LumMainWindow::closeEvent(event);
}

} // namespace rivulet
