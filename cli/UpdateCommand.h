#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "update": brings the data set up to date as the window program does after a load or a
// configuration change (controllers, detection histories, next-detection counts, release
// summary, model catalogue) and prints a short account: the releases with their numbers of
// fish, the sites, the years, the data class and the four estimability indicators.
class UpdateCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
