#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace rivulet::cli {

class CliCommand;

// One option or argument of a command, as its --help describes it.
struct CommandOption
{
    // As typed, e.g. "--out DIR" or "remove CODE"; options start with a dash.
    const char* name;
    const char* description;
};

// One line of the command table.
struct CommandEntry
{
    const char* name;
    // The command's own arguments for the help text, e.g. "FILE".
    const char* arguments;
    const char* summary;
    std::unique_ptr<CliCommand> (*create)();
    // Every option and argument the command reads, for its --help.
    std::vector<CommandOption> options;
    // One command line that uses it, from "rivulet-cli" on.
    const char* example;
};

// Every command of the tool, in the order the help lists them. To add a
// command, write a CliCommand subclass in its own file and add one line to
// the table in CommandTable.cpp.
class CommandTable
{
public:
    static const std::vector<CommandEntry>& entries();
    // The entry named `name`, or null.
    static const CommandEntry* find(const QString& name);
};

} // namespace rivulet::cli
