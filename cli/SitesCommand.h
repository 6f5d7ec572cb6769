#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "sites [remove CODE | last CODE | reset]": lists every site with its state, or makes the
// change of the sites and years configuration window and derives the detection sequences
// again. CODE is a site's configuration code or its short name.
class SitesCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

// "years [remove YEAR]": lists the migration years, or takes one out of the analysis.
class YearsCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
