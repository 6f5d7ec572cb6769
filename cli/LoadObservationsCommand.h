#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "load-observations FILE": loads an observation export as the study of the database,
// replacing the one held before, and prints what was stored. The sites configuration is the
// file of --sites-config, else the shared one.
class LoadObservationsCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
