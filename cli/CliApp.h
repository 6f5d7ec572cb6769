#pragma once

#include <QString>
#include <QStringList>

namespace rivulet::cli {

class CliOutput;

// The tool without its process: parses the command line, runs the command
// and returns the exit code. Needs an application object (the tool makes a
// GUI application on the offscreen platform, so reports can use text
// documents without a display).
class CliApp
{
public:
    // `arguments` without the program name.
    static int run(const QStringList& arguments, CliOutput& out);
    static QString usage();
};

} // namespace rivulet::cli
