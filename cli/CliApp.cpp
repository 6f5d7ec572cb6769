#include "cli/CliApp.h"

#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/CommandLine.h"
#include "cli/CommandTable.h"

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
    const CommandLine line = CommandLine::parse(arguments);
    if (!line.ok()) {
        out.error(line.error);
        out.error(QStringLiteral("run \"rivulet-cli --help\" for the usage"));
        return ExitUsage;
    }
    if (line.helpRequested) {
        out.print(usage());
        return ExitSuccess;
    }
    if (line.command.isEmpty()) {
        out.error(QStringLiteral("no command given"));
        out.print(usage());
        return ExitUsage;
    }
    const CommandEntry* entry = CommandTable::find(line.command);
    if (!entry) {
        out.error(QStringLiteral("unknown command \"%1\"").arg(line.command));
        out.error(QStringLiteral("run \"rivulet-cli --help\" for the commands"));
        return ExitUsage;
    }
    CliContext context(line.options, out);
    return entry->create()->run(context, line.commandArguments);
}

} // namespace rivulet::cli
