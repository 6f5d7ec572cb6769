#include "cli/CommandLine.h"

namespace rivulet::cli {

namespace {

// The option's field in `options`, or null for an unknown option.
QString* optionField(const QString& name, GlobalOptions& options)
{
    if (name == QLatin1String("--db"))
        return &options.databasePath;
    if (name == QLatin1String("--sites-config"))
        return &options.sitesConfigPath;
    if (name == QLatin1String("--mock"))
        return &options.mockFile;
    return nullptr;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine line;
    int i = 0;
    for (; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            line.helpRequested = true;
            continue;
        }
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            break;
        const int equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        QString* field = optionField(name, line.options);
        if (!field) {
            line.error = QStringLiteral("unknown option \"%1\"").arg(name);
            return line;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(++i);
        }
        if (value.isEmpty()) {
            line.error = QStringLiteral("option %1 needs a file name").arg(name);
            return line;
        }
        *field = value;
    }
    if (i < arguments.size()) {
        line.command = arguments.at(i);
        line.commandArguments = arguments.mid(i + 1);
    }
    return line;
}

} // namespace rivulet::cli
