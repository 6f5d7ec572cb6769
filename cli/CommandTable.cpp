#include "cli/CommandTable.h"

#include "cli/DiagramCommand.h"
#include "cli/FitCommand.h"
#include "cli/GofCommand.h"
#include "cli/InfoCommand.h"
#include "cli/LoadAgesCommand.h"
#include "cli/LoadObservationsCommand.h"
#include "cli/ModelsCommand.h"
#include "cli/NextDetectionsCommand.h"
#include "cli/ReleasesCommand.h"
#include "cli/ReportCommand.h"
#include "cli/SitesCommand.h"
#include "cli/SummaryCommand.h"
#include "cli/UpdateCommand.h"

namespace rivulet::cli {

namespace {
template <typename Command>
std::unique_ptr<CliCommand> make()
{
    return std::make_unique<Command>();
}
} // namespace

const std::vector<CommandEntry>& CommandTable::entries()
{
    static const std::vector<CommandEntry> table = {
        {"info", "",
         "open (or create) the database; print its path, its tables with their row counts and "
         "every setting with its value and store",
         &make<InfoCommand>},
        {"load-observations", "FILE",
         "load an observation export (CSV) as the study of the database, replacing the "
         "previous one; prints what was stored",
         &make<LoadObservationsCommand>},
        {"load-ages", "FILE",
         "assign the loaded tags to cohorts from an age data file (tag,cohort or "
         "tag,year,age)",
         &make<LoadAgesCommand>},
        {"update", "",
         "bring the data set up to date (histories, next-detection counts, release summary, "
         "models); print its releases with their fish, sites, years, data class and "
         "estimability",
         &make<UpdateCommand>},
        {"next-detections", "[--write FILE]",
         "write the next-detection counts in the counts-file format (what --mock reads)",
         &make<NextDetectionsCommand>},
        {"summary", "[--json FILE]", "write the release summary as JSON", &make<SummaryCommand>},
        {"models", "",
         "list the models of the data set: data class, capture headings, each model's name and "
         "description, and whether \"Fit All Models\" fits it",
         &make<ModelsCommand>},
        {"fit",
         "[--optimizer TEXT] [--model NAME]... [--out DIR] [--report-model NAME] "
         "[--precision-est N] [--precision-err N]",
         "bring the data set up to date and fit the models (all of the fit list, or the named "
         "ones); print the model comparison, and with --out write comparison.csv, "
         "estimates.csv and the reports of the best model (or of --report-model): "
         "survival, capture and performance as HTML and CSV, and releases.html",
         &make<FitCommand>},
        {"gof", "[--json FILE]",
         "print the component goodness-of-fit tests (3.SR, 3.Sm, 2.CT, 2.CL) where sites act as "
         "occasions within each migration year, their totals, c-hat and the directional "
         "statistics; with --json also write them as JSON",
         &make<GofCommand>},
        {"report", "releases [--html FILE]",
         "write the release summary report of the data (releases with their site, year and "
         "number of fish): its text, or with --html the report as HTML",
         &make<ReportCommand>},
        {"sites", "[remove CODE | last CODE | reset]",
         "list every site (code, short name, active position or removed), or remove a site, "
         "make it the last one (the sites below are merged into it) or make every site and "
         "year take part again; an edit derives the detection sequences again",
         &make<SitesCommand>},
        {"years", "[remove YEAR]",
         "list the migration years, or take one out of the analysis (not a release year)",
         &make<YearsCommand>},
        {"releases", "[include LABEL | exclude LABEL]",
         "list the releases with whether they take part, or include or exclude one (\"SITE "
         "YEAR\")",
         &make<ReleasesCommand>},
        {"diagram", "[--model NAME] [--release LABEL] --png FILE",
         "fit the model (default: the fit list, keeping the lowest AIC) and write the estimates "
         "diagram of the release (default: the first) as a PNG picture",
         &make<DiagramCommand>},
        {"cohort", "[NUMBER | all]",
         "list the cohorts, or restrict the analysis to one cohort (all: every cohort)",
         &make<CohortCommand>},
    };
    return table;
}

const CommandEntry* CommandTable::find(const QString& name)
{
    for (const CommandEntry& entry : entries()) {
        if (name == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

} // namespace rivulet::cli
