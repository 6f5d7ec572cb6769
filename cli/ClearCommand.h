#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "clear --yes": the window's "Clear All Data". Empties the study (every table of the
// database, its settings too, or the data set of a counts file), then brings the empty data
// set up to date. Without --yes it refuses, so that a slip of the keyboard loses nothing.
class ClearCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
