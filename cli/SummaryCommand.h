#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "summary [--json FILE]": the release summary of the data set (every release's transition
// and capture cells with their marks, the groupings, the pooled tables and the indicators)
// as a JSON document, written to FILE or to standard output.
class SummaryCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
