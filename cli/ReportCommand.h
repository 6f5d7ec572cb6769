#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "report releases [--html FILE]": the release summary report of the current data (the
// releases in the analysis with their site, year and number of fish), brought up to date
// first. With --html the report's HTML goes to the file (replaced only when complete),
// otherwise its text to standard output.
class ReportCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
