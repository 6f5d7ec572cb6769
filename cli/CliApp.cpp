#include "cli/CliApp.h"

#include "cli/ArgumentParser.h"
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/CommandTable.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace rivulet::cli {

namespace {

constexpr int helpWidth = 79;

// `text` broken at blanks into lines of at most helpWidth characters, each but the first
// indented by `indent` blanks (the first continues a line already `indent` wide).
QString wrapped(const QString& text, int indent)
{
    QString result;
    int column = indent;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (column > indent && column + 1 + word.size() > helpWidth) {
            result += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            result += QLatin1Char(' ');
            ++column;
        }
        result += word;
        column += word.size();
    }
    return result;
}

// An aligned list of names and their descriptions under a heading.
QString section(const QString& heading, const QList<CommandOption>& items)
{
    if (items.isEmpty())
        return QString();
    int width = 0;
    for (const CommandOption& item : items)
        width = std::max(width, int(std::strlen(item.name)));
    const int indent = width + 4;
    QString text = QLatin1Char('\n') + heading + QStringLiteral(":\n");
    for (const CommandOption& item : items) {
        text += QStringLiteral("  %1  ").arg(QString::fromUtf8(item.name), -width) +
                wrapped(QString::fromUtf8(item.description), indent) + QLatin1Char('\n');
    }
    return text;
}

// "-h" or "--help" among a command's arguments; it wins over everything else, so that asking
// for help never opens a database or runs a job.
bool asksForHelp(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            return false;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help") ||
            argument == QLatin1String("-help"))
            return true;
    }
    return false;
}

} // namespace

QString CliApp::version()
{
    return QStringLiteral("rivulet-cli " RIVULET_VERSION "\n");
}

QString CliApp::commandHelp(const CommandEntry& entry)
{
    QString text = QStringLiteral("usage: rivulet-cli [GLOBAL OPTIONS] %1").arg(entry.name);
    if (*entry.arguments)
        text += QLatin1Char(' ') + QString::fromLatin1(entry.arguments);
    text += QStringLiteral("\n\n") + wrapped(QString::fromUtf8(entry.summary), 0) +
            QStringLiteral(".\n");
    QList<CommandOption> arguments;
    QList<CommandOption> options;
    for (const CommandOption& option : entry.options)
        (option.name[0] == '-' ? options : arguments) << option;
    options << CommandOption{"-h, --help", "show this help"};
    text += section(QStringLiteral("Arguments"), arguments);
    text += section(QStringLiteral("Options"), options);
    text += QLatin1Char('\n') +
            wrapped(QStringLiteral("The global options (--db, --sites-config, --counts) come "
                                   "before the command; \"rivulet-cli --help\" lists them."),
                    0) +
            QLatin1Char('\n');
    text += QStringLiteral("\nExample:\n  %1\n").arg(QString::fromUtf8(entry.example));
    return text;
}

QString CliApp::usage()
{
    QString text = QStringLiteral(
        "usage: rivulet-cli [--db FILE] [--sites-config FILE] [--counts FILE] COMMAND [ARGS...]\n"
        "\n"
        "Global options:\n"
        "  --db FILE            database file to use instead of the per-user one\n"
        "                       (created when missing)\n"
        "  --sites-config FILE  sites configuration file to use instead of the shared one\n"
        "  --counts FILE        a next-detection counts file (simulated data) to use\n"
        "                       instead of observation data; --mock FILE is the same\n"
        "  -h, --help           show this help (COMMAND --help: the command's own)\n"
        "  --version            show the version\n"
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
    line.addOption(QStringLiteral("counts"), QStringLiteral("FILE"), ArgumentParser::LastWins);
    // The older name, which scripts may still use.
    line.addOption(QStringLiteral("mock"), QStringLiteral("FILE"), ArgumentParser::LastWins);
    line.addFlag({QStringLiteral("h"), QStringLiteral("help")});
    line.addFlag({QStringLiteral("version")});
    if (!line.parse(arguments)) {
        out.error(line.error());
        out.error(QStringLiteral("run \"rivulet-cli --help\" for the usage"));
        return ExitUsage;
    }
    if (line.isSet(QStringLiteral("help"))) {
        out.print(usage());
        return ExitSuccess;
    }
    if (line.isSet(QStringLiteral("version"))) {
        out.print(version());
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
    if (asksForHelp(commandLine.mid(1))) {
        out.print(commandHelp(*entry));
        return ExitSuccess;
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
    options.countsFile = line.value(QStringLiteral("counts"));
    if (options.countsFile.isEmpty())
        options.countsFile = line.value(QStringLiteral("mock"));
    CliContext context(options, out);
    return entry->create()->run(context, commandLine.mid(1));
}

} // namespace rivulet::cli
