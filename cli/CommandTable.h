#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace rivulet::cli {

class CliCommand;

// One line of the command table.
struct CommandEntry
{
    const char* name;
    // The command's own arguments for the help text, e.g. "FILE".
    const char* arguments;
    const char* summary;
    std::unique_ptr<CliCommand> (*create)();
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
