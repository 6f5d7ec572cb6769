#include "cli/LoadObservationsCommand.h"

#include "cli/CliContext.h"
#include "cli/CliJobRunner.h"
#include "cli/CliOutput.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigCatalog.h"

namespace rivulet::cli {

namespace {

void printSummary(CliOutput& out, const ObsLoadSummary& summary)
{
    const auto line = [&out](const char* label, int value) {
        out.status(QStringLiteral("  %1 %2").arg(QString::fromLatin1(label), -48).arg(value));
    };
    out.status(QStringLiteral("Stored:"));
    line("tags", summary.tags);
    line("detections kept", summary.detections);
    line("detections dropped (not downstream of release)", summary.droppedDetections);
    line("rows ignored (filter \"A\")", summary.ignoredRows);
    line("releases", summary.releases);
    line("sites", summary.sites);
    line("years", summary.years);
}

} // namespace

int LoadObservationsCommand::run(CliContext& context, const QStringList& arguments)
{
    if (arguments.size() != 1) {
        context.out().error(QStringLiteral("load-observations takes one argument: the file"));
        return ExitUsage;
    }
    if (!context.openDatabase())
        return ExitFailure;
    SitesConfigCatalog catalog(SitesConfig::instance());
    SitesController sites(catalog);
    YearsController years;
    ReleasesController releases;
    ObsDataLoader loader(arguments.first(), &releases, &sites, &years, context.sitesConfigPath(),
                         &context.jobs().runner());
    if (!context.jobs().run(loader) || loader.failed())
        return ExitFailure;
    printSummary(context.out(), loader.summary());
    return ExitSuccess;
}

} // namespace rivulet::cli
