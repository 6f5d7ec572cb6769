#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "next-detections [--write FILE]": the next-detection counts of the data set in the counts
// file format, written to FILE (as "Save Next Detections" does) or to standard output. A
// file written here is what --counts reads.
class NextDetectionsCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
