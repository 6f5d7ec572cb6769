#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "releases [include LABEL | exclude LABEL]": lists every release with whether it takes part,
// or includes or excludes one (LABEL as listed, "SITE YEAR") and derives the detection
// sequences again.
class ReleasesCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

// "cohort [NUMBER | all]": lists the cohorts, or restricts the analysis to one cohort (all:
// no restriction) and derives the detection sequences again.
class CohortCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
