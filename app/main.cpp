// The window program: start-up shared with the command-line tool, then the
// splash screen and the application window.
//
//     rivulet [--counts] [--db FILE] [--sites-config FILE]
#include "rivulet/data/RivuletDb.h"
#include "rivulet/settings/AppStartup.h"
#include "rivulet/views/RivuletWindow.h"

#include <QApplication>
#include <QPixmap>
#include <QSplashScreen>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The value of "--name FILE" or "--name=FILE"; Qt's own options stay with Qt.
QString optionValue(const QStringList& arguments, const QString& name)
{
    const QString prefix = name + QLatin1Char('=');
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == name && i + 1 < arguments.size())
            return arguments[i + 1];
        if (arguments[i].startsWith(prefix))
            return arguments[i].mid(prefix.size());
    }
    return {};
}

const char* const helpText =
    "usage: rivulet [--db FILE] [--sites-config FILE] [--counts]\n"
    "\n"
    "The Rivulet window: loads PIT-tag detections and a sites configuration, fits the\n"
    "survival, movement and detection models, compares them and shows their estimates,\n"
    "diagrams and reports.\n"
    "\n"
    "Options:\n"
    "  --db FILE            database file to use instead of the per-user one\n"
    "                       (created when missing)\n"
    "  --sites-config FILE  sites configuration file to use instead of the shared one\n"
    "  --counts             work on a file of simulated next-detection counts\n"
    "                       instead of observation data (-mock is the same)\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n"
    "\n"
    "Example:\n"
    "  rivulet --db study.db\n";

} // namespace

int main(int argc, char** argv)
{
    // Answered before the application object exists, so that they work without a display
    // (the manual page is made from them at build time).
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(helpText, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("rivulet " RIVULET_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    rivulet::AppStartup::setIdentity();
    rivulet::AppStartup::setUninstalledSampleFolder(QStringLiteral(RIVULET_SOURCE_SAMPLE));
    QCoreApplication::setApplicationVersion(QStringLiteral(RIVULET_VERSION));
    // Lives as long as the window, which shows it again on request.
    auto splash = std::make_unique<QSplashScreen>(
        QPixmap(QStringLiteral(":/images/SplashScreen.png")), Qt::WindowStaysOnTopHint);

    const QStringList arguments = QCoreApplication::arguments();
    rivulet::StartupOptions options;
    options.arguments = arguments;
    options.databasePath = optionValue(arguments, QStringLiteral("--db"));
    const rivulet::StartupResult startup = rivulet::AppStartup::run(options);
    if (!startup.ok()) {
        std::fprintf(stderr, "rivulet: %s\n", qPrintable(startup.error));
        // A database named on the command line that cannot be used is never replaced.
        if (!options.databasePath.isEmpty())
            return 1;
    }

    QCoreApplication::processEvents();

    // The splash screen is up before the window is built, so that the window's first data
    // update reports on it rather than in a progress dialog without a window behind it.
    splash->show();
    QCoreApplication::processEvents();
    // Declared after the splash screen, so it goes first and never points at a dead one.
    auto window = std::make_unique<rivulet::RivuletWindow>(
        splash.get(), rivulet::RivuletDb::instance(), nullptr, QStringLiteral("Rivulet"),
        Qt::WindowFlags(), optionValue(arguments, QStringLiteral("--sites-config")));
    QTimer::singleShot(3000, window.get(), &rivulet::RivuletWindow::splashScreenTimeout);
    window->show();
    return app.exec();
}
