#include "cli/CliApp.h"

#include "cli/ArgumentParser.h"
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/CommandTable.h"

#include <QFileInfo>

namespace rivulet::cli {

QString CliApp::usage()
{
    QString text = QStringLiteral(
        "usage: rivulet-cli [--db FILE] [--sites-config FILE] [--mock FILE] COMMAND [ARGS...]\n"
        "\n"
        "Global options:\n"
        "  --db FILE            database file to use instead of the per-user one\n"
        "                       (created when missing)\n"
        "  --sites-config FILE  sites configuration file to use instead of the shared one\n"
        "  --mock FILE          simulated next-detection counts to use instead of\n"
        "                       observation data\n"
        "  -h, --help           show this help\n"
        "\n"
        "Commands:\n");
    for (const CommandEntry& entry : CommandTable::entries()) {
        const QString name =
            QString::fromLatin1(entry.name) +
            (*entry.arguments ? " " + QString::fromLatin1(entry.arguments) : QString());
        text += QStringLiteral("  %1 %2\n").arg(name, -20).arg(QString::fromUtf8(entry.summary));
    }
    return text;
}

int CliApp::run(const QStringList& arguments, CliOutput& out)
{
    ArgumentParser line;
    line.addOption(QStringLiteral("db"), QStringLiteral("FILE"), ArgumentParser::LastWins);
    line.addOption(QStringLiteral("sites-config"), QStringLiteral("FILE"),
                   ArgumentParser::LastWins);
    line.addOption(QStringLiteral("mock"), QStringLiteral("FILE"), ArgumentParser::LastWins);
    line.addFlag({QStringLiteral("h"), QStringLiteral("help")});
    if (!line.parse(arguments)) {
        out.error(line.error());
        out.error(QStringLiteral("run \"rivulet-cli --help\" for the usage"));
        return ExitUsage;
    }
    if (line.isSet(QStringLiteral("help"))) {
        out.print(usage());
        return ExitSuccess;
    }
    const QStringList commandLine = line.positionalArguments();
    if (commandLine.isEmpty()) {
        out.error(QStringLiteral("no command given"));
        out.print(usage());
        return ExitUsage;
    }
    const CommandEntry* entry = CommandTable::find(commandLine.first());
    if (!entry) {
        out.error(QStringLiteral("unknown command \"%1\"").arg(commandLine.first()));
        out.error(QStringLiteral("run \"rivulet-cli --help\" for the commands"));
        return ExitUsage;
    }
    GlobalOptions options;
    options.databasePath = line.value(QStringLiteral("db"));
    options.sitesConfigPath = line.value(QStringLiteral("sites-config"));
    // A folder opens and reads as an empty configuration, which would reject every row later.
    if (QFileInfo(options.sitesConfigPath).isDir()) {
        out.error(
            QStringLiteral("--sites-config \"%1\" is a folder, not a sites configuration file")
                .arg(options.sitesConfigPath));
        return ExitUsage;
    }
    options.mockFile = line.value(QStringLiteral("mock"));
    CliContext context(options, out);
    return entry->create()->run(context, commandLine.mid(1));
}

} // namespace rivulet::cli
