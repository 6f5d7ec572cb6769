#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "gof [--json FILE]": the component tests of the Cormack-Jolly-Seber family on the data
// set, where sites act as occasions within each migration year: every 3.SR, 3.Sm, 2.CT and
// 2.CL table with its X², df and p, the totals (Test 3, Test 2, overall), ĉ and the
// directional statistics; with --json the same as a JSON document written to FILE.
class GofCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
