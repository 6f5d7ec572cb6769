#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "design [--model NAME] --fish N,N,... [--replicates R] [--seed S] [--target QUANTITY:CV]
// [--out DIR]": how the precision of a fitted model's estimates grows with the number of fish
// per release, by simulating and fitting studies of the same design (design::DesignRun); the
// figures of the survival to the final site, design.csv with every quantity in DIR, and the
// smallest number of fish per release that reaches the target.
class DesignCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
