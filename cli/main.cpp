// rivulet-cli: the headless tool. It runs the program's own start-up,
// database and jobs without a window.
#include "cli/CliApp.h"
#include "cli/CliOutput.h"

#include <QGuiApplication>

#include <cstdio>

namespace {
// Qt's own messages follow the tool's convention on standard error.
void markQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    // The offscreen platform asks for a runtime folder it never uses; on a
    // headless machine without a login session that notice is only noise.
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    const char* mark = "";
    if (type == QtWarningMsg)
        mark = "warning: ";
    else if (type == QtCriticalMsg || type == QtFatalMsg)
        mark = "error: ";
    std::fprintf(stderr, "%s%s\n", mark, qPrintable(message));
    std::fflush(stderr);
}
} // namespace

int main(int argc, char** argv)
{
    // Reports use text documents, which need a GUI application; the
    // offscreen platform provides one without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(markQtMessage);
    QGuiApplication app(argc, argv);
    rivulet::cli::CliOutput out;
    return rivulet::cli::CliApp::run(QCoreApplication::arguments().mid(1), out);
}
