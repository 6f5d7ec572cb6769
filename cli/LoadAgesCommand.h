#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "load-ages FILE": assigns the tags of the loaded study to cohorts from an age data file and
// prints how many cohorts and tags the database then holds. Unknown tags are reported and
// skipped; a malformed line stops the load and changes nothing.
class LoadAgesCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
