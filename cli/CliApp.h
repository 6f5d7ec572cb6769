#pragma once

#include <QString>
#include <QStringList>

namespace rivulet::cli {

class CliOutput;
struct CommandEntry;

// The tool without its process: parses the command line, runs the command
// and returns the exit code. Needs an application object (the tool makes a
// GUI application on the offscreen platform, so reports can use text
// documents without a display).
class CliApp
{
public:
    // `arguments` without the program name.
    static int run(const QStringList& arguments, CliOutput& out);
    // The tool's help: the global options and the commands.
    static QString usage();
    // A command's help (COMMAND --help): its usage line, what it does, its options and
    // arguments, and an example.
    static QString commandHelp(const CommandEntry& entry);
    // "rivulet-cli VERSION", what --version prints.
    static QString version();
};

} // namespace rivulet::cli
