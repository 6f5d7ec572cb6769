// The window program: start-up shared with the command-line tool, then the
// splash screen and the main window.
#include "rivulet/settings/AppStartup.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QPixmap>
#include <QSplashScreen>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    rivulet::AppStartup::setIdentity();
    auto splash = std::make_unique<QSplashScreen>(
        QPixmap(QStringLiteral(":/images/SplashScreen.png")), Qt::WindowStaysOnTopHint);

    rivulet::StartupOptions options;
    options.arguments = QCoreApplication::arguments();
    const rivulet::StartupResult startup = rivulet::AppStartup::run(options);
    // The window works without data until the user acts; database
    // operations report their own errors then. Leave a trace for support.
    if (!startup.ok())
        std::fprintf(stderr, "warning: %s\n", qPrintable(startup.error));

    QCoreApplication::processEvents();

    // The application window takes this place once it exists; until then
    // an empty main window with the program's name and icon.
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Rivulet"));
    window.setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));

    splash->show();
    QTimer::singleShot(3000, splash.get(), [&splash] {
        splash->clearMessage();
        splash->close();
    });
    window.show();
    return app.exec();
}
