// Pictures of the window program for the README: runs the sample study through the
// application window's own flows (file dialogs answered by a script) and writes PNG files of
// the main window after "Fit All Models", of the settings window, of the about box, of the
// estimates diagram of the best model with one label hovered, of the sites and years
// configuration (a release and the pooled releases), of the releases and cohorts
// configuration and of the next detections view.
//
//     rivulet-screenshots OUT_DIR SAMPLE_DIR
//
// The per-user folders should point somewhere disposable (scripts/screenshots.sh does so).
#include "lum/thread/ThreadRunner.h"
#include "lum/ui/ScriptedPrompts.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/settings/AppStartup.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/views/ConfigSitesYearsWidget.h"
#include "rivulet/views/DiagramItems.h"
#include "rivulet/views/EstimatesWidget.h"
#include "rivulet/views/NextDetectionsWidget.h"
#include "rivulet/views/ReleasesTableModel.h"
#include "rivulet/views/RivuletDiagram.h"
#include "rivulet/views/RivuletInfoDialog.h"
#include "rivulet/views/RivuletWindow.h"
#include "rivulet/views/StudyDesignWidget.h"
#include "tools/sim/StudySimulator.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// Lets the window work until its flows have ended.
bool settle(const rivulet::RivuletWindow& window, int seconds)
{
    const QDeadlineTimer deadline(seconds * 1000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (window.runKind() == rivulet::RivuletWindow::Run::None && !window.runner().isRunning() &&
            !window.reportRunner().isRunning()) {
            QCoreApplication::processEvents();
            return true;
        }
        QThread::msleep(10);
    }
    return false;
}

bool save(QWidget* widget, const QString& path)
{
    QCoreApplication::processEvents();
    if (!widget || !widget->grab().save(path)) {
        std::fprintf(stderr, "rivulet-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Opens the window of a navigation entry at the top left of the work area, `size` large.
QMdiSubWindow* openWindow(rivulet::RivuletWindow& window, const rivulet::NavEntry& entry,
                          rivulet::View view, const QSize& size)
{
    window.openEntry(entry);
    settle(window, 600);
    QMdiSubWindow* sub = window.subWindow(view);
    if (sub) {
        sub->setGeometry(QRect(QPoint(10, 10), size));
        window.mdiArea()->setActiveSubWindow(sub);
    }
    return sub;
}

// The width at which a view shows its whole scene.
int naturalWidth(const QGraphicsView& view)
{
    return int(view.scene()->sceneRect().width()) + 2 * view.frameWidth() + 4;
}

// The estimates diagram of the selected model at its natural size, with one hold-over path
// of the first release hovered so that its table cell and explanation show.
bool saveDiagram(rivulet::RivuletWindow& window, const QDir& out)
{
    QMdiSubWindow* sub =
        openWindow(window, rivulet::nav::graphicalResults, rivulet::View::Diagram, QSize(760, 900));
    auto* widget = sub ? qobject_cast<rivulet::EstimatesWidget*>(sub->widget()) : nullptr;
    if (!widget)
        return false;
    widget->tabWidget()->setCurrentIndex(0);
    rivulet::RivuletDiagram* diagram = widget->diagram(0);
    rivulet::PathGraphicsItem* hovered = nullptr;
    for (rivulet::PathGraphicsItem* path : diagram->paths()) {
        const bool estimated = path->pen().color() != QColor(Qt::gray);
        const bool holdOver = path->key().upstreamYear != path->key().downstreamYear;
        if (estimated && holdOver && (!hovered || path->key() < hovered->key()))
            hovered = path;
    }
    if (hovered) {
        QGraphicsSceneHoverEvent enter(QEvent::GraphicsSceneHoverEnter);
        diagram->sendEvent(hovered->label(), &enter);
    }
    QTableView* table = widget->tableView();
    table->resizeColumnsToContents();
    int tableWidth = table->verticalHeader()->width() + 2 * table->frameWidth() + 4;
    for (int c = 0; c < table->model()->columnCount(); ++c)
        tableWidth += table->columnWidth(c);
    const auto* view = qobject_cast<QGraphicsView*>(widget->tabWidget()->currentWidget());
    const int content = std::max(tableWidth, view ? naturalWidth(*view) : 0);
    sub->resize(content + sub->width() - table->width(), sub->height());
    return save(sub, out.filePath(QStringLiteral("graphical-results.png")));
}

// Wide enough for the widest diagram of the sites and years configuration.
void showWholeDiagrams(QMdiSubWindow& sub, rivulet::ConfigSitesYearsWidgetBase& widget)
{
    QTabWidget* tabs = widget.tabWidget();
    int content = 0;
    for (int t = 0; t < tabs->count(); ++t) {
        if (const auto* view = qobject_cast<QGraphicsView*>(tabs->widget(t)))
            content = std::max(content, naturalWidth(*view));
    }
    sub.resize(content + sub.width() - tabs->currentWidget()->width(), sub.height());
}

bool saveSitesAndYears(rivulet::RivuletWindow& window, const QDir& out)
{
    QMdiSubWindow* sub =
        openWindow(window, rivulet::nav::sitesYears, rivulet::View::SitesYears, QSize(760, 760));
    auto* widget =
        sub ? qobject_cast<rivulet::ConfigSitesYearsWidgetBase*>(sub->widget()) : nullptr;
    if (!widget)
        return false;
    widget->removalsCheckBox()->setChecked(true);
    settle(window, 60);
    showWholeDiagrams(*sub, *widget);
    QTabWidget* tabs = widget->tabWidget();
    tabs->setCurrentIndex(0);
    bool ok = save(sub, out.filePath(QStringLiteral("sites-years-release.png")));
    tabs->setCurrentIndex(tabs->count() - 1);
    ok = save(sub, out.filePath(QStringLiteral("sites-years-pooled.png"))) && ok;
    return ok;
}

// A simulated study whose last release is so thin that some of its paths see no fish: its
// tab and the counts that leave a model unestimable are red.
bool saveUnestimable(const QDir& out)
{
    rivulet::sim::StudyDesign design;
    design.seed = 7;
    design.releaseSites = 2;
    design.releaseYears = 1;
    design.years = 2;
    design.detectionSites = 4;
    design.fishPerRelease = 400;
    design.sparseReleaseFish = 6;
    const QDir folder(out.filePath(QStringLiteral("thin-release")));
    if (const auto written = rivulet::sim::StudySimulator(design).run(folder.absolutePath(), false);
        !written) {
        std::fprintf(stderr, "rivulet-screenshots: %s\n", qPrintable(written.error().text()));
        return false;
    }
    rivulet::RivuletDb rdb;
    if (!rdb.open(folder.filePath(QStringLiteral("thin.db"))))
        return false;
    rivulet::RivuletWindow window(
        nullptr, rdb, nullptr, QStringLiteral("Rivulet"), {},
        folder.filePath(QLatin1String(rivulet::sim::StudySimulator::ConfigFile)));
    auto prompts = std::make_unique<lum::ScriptedPrompts>();
    prompts->files << folder.filePath(
        QLatin1String(rivulet::sim::StudySimulator::ObservationsFile));
    window.setPrompts(std::move(prompts));
    window.resize(1600, 1050);
    window.show();
    settle(window, 60);
    window.openEntry(rivulet::nav::loadObservations);
    settle(window, 600);
    QMdiSubWindow* sub =
        openWindow(window, rivulet::nav::sitesYears, rivulet::View::SitesYears, QSize(760, 760));
    auto* widget =
        sub ? qobject_cast<rivulet::ConfigSitesYearsWidgetBase*>(sub->widget()) : nullptr;
    if (!widget)
        return false;
    showWholeDiagrams(*sub, *widget);
    QTabWidget* tabs = widget->tabWidget();
    for (int t = 0; t < tabs->count(); ++t) {
        if (tabs->tabBar()->tabTextColor(t) == QColor(Qt::red)) {
            tabs->setCurrentIndex(t);
            break;
        }
    }
    return save(sub, out.filePath(QStringLiteral("sites-years-unestimable.png")));
}

bool saveReleasesAndCohorts(rivulet::RivuletWindow& window, const QDir& out)
{
    QMdiSubWindow* sub = openWindow(window, rivulet::nav::releasesCohorts,
                                    rivulet::View::ReleasesCohorts, QSize(560, 420));
    return save(sub, out.filePath(QStringLiteral("releases-cohorts.png")));
}

// Every release of the first year, from the detection point of the first detection site.
bool saveNextDetections(rivulet::RivuletWindow& window, const QDir& out)
{
    QMdiSubWindow* sub = openWindow(window, rivulet::nav::nextDetections,
                                    rivulet::View::NextDetections, QSize(1100, 560));
    auto* widget = sub ? qobject_cast<rivulet::NextDetectionsWidget*>(sub->widget()) : nullptr;
    if (!widget)
        return false;
    QAbstractItemModel* releases = widget->releaseModel();
    const QString firstYear = window.study().years().yearLabels().value(0);
    for (int row = 0; row < releases->rowCount(); ++row) {
        if (releases->index(row, 0).data().toString().endsWith(firstYear))
            releases->setData(releases->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
    widget->onApply();
    QTableView* table = widget->countsView();
    table->resizeColumnsToContents();
    int content = table->verticalHeader()->width() + 2 * table->frameWidth() + 4;
    for (int c = 0; c < table->model()->columnCount(); ++c)
        content += table->columnWidth(c);
    sub->resize(content + sub->width() - table->width(), sub->height());
    return save(sub, out.filePath(QStringLiteral("next-detections.png")));
}

// The best model's design run: four numbers of fish, 50 replicates each, a CV of 10% on the
// survival to the final site as the target.
bool saveStudyDesign(rivulet::RivuletWindow& window, const QDir& out)
{
    QMdiSubWindow* sub =
        openWindow(window, rivulet::nav::studyDesign, rivulet::View::StudyDesign, QSize(1180, 900));
    auto* widget = sub ? qobject_cast<rivulet::StudyDesignWidget*>(sub->widget()) : nullptr;
    if (!widget)
        return false;
    widget->fishEdit()->setText(QStringLiteral("250,500,1000,2000"));
    widget->replicatesSpinBox()->setValue(50);
    widget->targetEdit()->setText(QStringLiteral("final:10%"));
    widget->runButton()->click();
    const QDeadlineTimer deadline(600 * 1000);
    while (widget->isRunning() || !widget->runButton()->isEnabled()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    QCoreApplication::processEvents();
    return save(sub, out.filePath(QStringLiteral("study-design.png")));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: rivulet-screenshots OUT_DIR SAMPLE_DIR\n");
        return 2;
    }
    const QDir out(arguments[1]);
    const QDir sample(arguments[2]);
    QDir().mkpath(out.absolutePath());
    QCoreApplication::setApplicationVersion(QStringLiteral(RIVULET_VERSION));

    rivulet::StartupOptions options;
    options.databasePath = out.filePath(QStringLiteral("screenshots.db"));
    QFile::remove(options.databasePath);
    const rivulet::StartupResult startup = rivulet::AppStartup::run(options);
    if (!startup.ok()) {
        std::fprintf(stderr, "rivulet-screenshots: %s\n", qPrintable(startup.error));
        return 1;
    }
    auto& settings = rivulet::RivuletSettings::instance();
    settings.setMainWindowGeometry({});
    settings.setMainWindowState({});

    rivulet::RivuletWindow window(nullptr, rivulet::RivuletDb::instance(), nullptr,
                                  QStringLiteral("Rivulet"), {},
                                  sample.filePath(QStringLiteral("sites_config.txt")));
    auto prompts = std::make_unique<lum::ScriptedPrompts>();
    prompts->files << sample.filePath(QStringLiteral("observations.csv"))
                   << sample.filePath(QStringLiteral("ages.csv"));
    window.setPrompts(std::move(prompts));
    window.resize(1600, 1050);
    window.show();

    bool ok = settle(window, 60);
    for (const rivulet::NavEntry* entry :
         {&rivulet::nav::loadObservations, &rivulet::nav::loadAgeData,
          &rivulet::nav::fitAllModels}) {
        window.openEntry(*entry);
        ok = ok && settle(window, 1800);
    }
    if (!ok || window.study().results().isEmpty()) {
        std::fprintf(stderr, "rivulet-screenshots: the sample study did not run to its end\n");
        return 1;
    }
    window.openEntry(rivulet::nav::survivalReport);
    settle(window, 60);
    // The comparison at the top, the report below it, both whole.
    QMdiSubWindow* comparison = window.subWindow(rivulet::View::ModelComparison);
    QMdiSubWindow* report = window.subWindow(rivulet::ReportKind::Survival);
    if (comparison && report) {
        const QRect area = window.mdiArea()->viewport()->rect();
        comparison->move(10, 10);
        const int top = comparison->geometry().bottom() + 10;
        report->setGeometry(area.width() / 4, top, area.width() * 3 / 4 - 10,
                            area.height() - top - 10);
        window.mdiArea()->setActiveSubWindow(report);
    }
    ok = save(&window, out.filePath(QStringLiteral("main-window.png")));

    window.showSettingsWidget();
    QMdiSubWindow* settingsWindow = window.subWindow(rivulet::View::Settings);
    if (settingsWindow)
        settingsWindow->resize(settingsWindow->sizeHint().expandedTo(QSize(520, 380)));
    ok = save(settingsWindow, out.filePath(QStringLiteral("settings.png"))) && ok;

    window.onHelpAbout();
    ok = save(window.aboutDialog(), out.filePath(QStringLiteral("about.png"))) && ok;
    window.aboutDialog()->close();
    window.onSettingsDone();

    ok = saveDiagram(window, out) && ok;
    window.closeSubWindow(rivulet::View::Diagram);
    ok = saveReleasesAndCohorts(window, out) && ok;
    window.closeSubWindow(rivulet::View::ReleasesCohorts);
    ok = saveSitesAndYears(window, out) && ok;
    window.closeSubWindow(rivulet::View::SitesYears);
    // The diagnostic tools hold the next detections view.
    settings.setDiagnosticsEnabled(true);
    window.onUiSettingsChanged();
    ok = saveNextDetections(window, out) && ok;
    window.closeSubWindow(rivulet::View::NextDetections);
    ok = saveStudyDesign(window, out) && ok;
    ok = saveUnestimable(out) && ok;
    return ok ? 0 : 1;
}
