#pragma once

#include <QStringList>

namespace rivulet::cli {

class CliContext;

// Process exit codes of the tool.
enum ExitCode
{
    ExitSuccess = 0,
    ExitFailure = 1,
    ExitUsage = 2,
    // Ctrl-C came too late to stop a change that was already stored: the change holds, a later
    // step (named in the warning) did not run.
    ExitStoredThenCanceled = 3
};

// One command of the tool. A command lives in its own file and is listed
// once in CommandTable.cpp; it parses its arguments (ArgumentParser) and
// calls the study's action, reaching the study, the output and the terminal
// tracker through the context.
class CliCommand
{
public:
    virtual ~CliCommand() = default;
    // Runs with the arguments after the command's name; returns the exit
    // code (ExitSuccess, ExitFailure after an error, ExitUsage for bad
    // arguments). Errors are reported through context.out() first.
    virtual int run(CliContext& context, const QStringList& arguments) = 0;

protected:
    CliCommand() = default;
    CliCommand(const CliCommand&) = default;
    CliCommand& operator=(const CliCommand&) = default;
};

} // namespace rivulet::cli
