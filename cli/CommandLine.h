#pragma once

#include "cli/GlobalOptions.h"

#include <QString>
#include <QStringList>

namespace rivulet::cli {

// The command line split into global options, the command and the
// command's own arguments:
//   [--db FILE] [--sites-config FILE] [--mock FILE] [-h|--help] COMMAND [ARGS...]
// Options take their value as the next argument or after "=". Everything
// after the command belongs to the command.
class CommandLine
{
public:
    // `arguments` without the program name.
    static CommandLine parse(const QStringList& arguments);

    bool ok() const { return error.isEmpty(); }

    GlobalOptions options;
    QString command;
    QStringList commandArguments;
    bool helpRequested = false;
    // Why the line is not valid; empty when it is.
    QString error;
};

} // namespace rivulet::cli
