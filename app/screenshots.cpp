// Pictures of the window program for the README: runs the sample study through the
// application window's own flows (file dialogs answered by a script) and writes PNG files of
// the main window after "Fit All Models", of the settings window and of the about box.
//
//     rivulet-screenshots OUT_DIR SAMPLE_DIR
//
// The per-user folders should point somewhere disposable (scripts/screenshots.sh does so).
#include "lum/thread/ThreadRunner.h"
#include "lum/ui/ScriptedPrompts.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/settings/AppStartup.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/views/RivuletInfoDialog.h"
#include "rivulet/views/RivuletWindow.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>

#include <cstdio>
#include <memory>

namespace {

// Lets the window work until its flows have ended.
bool settle(const rivulet::RivuletWindow& window, int seconds)
{
    const QDeadlineTimer deadline(seconds * 1000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (window.runKind() == rivulet::RivuletWindow::NoRun && !window.runner().isRunning() &&
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
    settings.setValue(rivulet::RivuletSettings::GeomMainWindow, QByteArray());

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
    for (int key :
         {rivulet::RivuletWindow::LoadObservationsItem, rivulet::RivuletWindow::LoadAgeDataItem,
          rivulet::RivuletWindow::FitAllModelsItem}) {
        window.onNavItemDoubleClicked(key);
        ok = ok && settle(window, 1800);
    }
    if (!ok || window.study().results().isEmpty()) {
        std::fprintf(stderr, "rivulet-screenshots: the sample study did not run to its end\n");
        return 1;
    }
    window.onNavItemDoubleClicked(rivulet::RivuletWindow::SurvivalReportItem);
    settle(window, 60);
    // The comparison at the top, the report below it, both whole.
    QMdiSubWindow* comparison = window.subWindow(rivulet::RivuletWindow::ModelComparisonWindow);
    QMdiSubWindow* report = window.subWindow(rivulet::RivuletWindow::SurvivalReportWindow);
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
    QMdiSubWindow* settingsWindow = window.subWindow(rivulet::RivuletWindow::SettingsWindow);
    if (settingsWindow)
        settingsWindow->resize(settingsWindow->sizeHint().expandedTo(QSize(520, 380)));
    ok = save(settingsWindow, out.filePath(QStringLiteral("settings.png"))) && ok;

    window.onHelpAbout();
    ok = save(window.aboutDialog(), out.filePath(QStringLiteral("about.png"))) && ok;
    window.aboutDialog()->close();
    return ok ? 0 : 1;
}
