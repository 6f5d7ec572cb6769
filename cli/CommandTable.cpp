#include "cli/CommandTable.h"

#include "cli/ClearCommand.h"
#include "cli/DesignCommand.h"
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
        {"info",
         "",
         "open (or create) the database; print its path, its tables with their row counts and "
         "every setting with its value and store",
         &make<InfoCommand>,
         {},
         "rivulet-cli --db study.db info"},
        {"load-observations",
         "FILE",
         "load an observation export (CSV) as the study of the database, replacing the "
         "previous one; prints what was stored",
         &make<LoadObservationsCommand>,
         {
             {"FILE", "the observation export of the study (CSV), as PTAGIS writes it"},
         },
         "rivulet-cli --db study.db --sites-config sites_config.txt load-observations "
         "observations.csv"},
        {"load-ages",
         "FILE",
         "assign the loaded tags to cohorts from an age data file (tag,cohort or "
         "tag,year,age)",
         &make<LoadAgesCommand>,
         {
             {"FILE", "the age data file: one tag per line with its cohort (tag,cohort) or its "
                      "year and age (tag,year,age)"},
         },
         "rivulet-cli --db study.db load-ages ages.csv"},
        {"clear",
         "--yes",
         "delete all data of the study (every table of the database, its settings too), "
         "as the window's Clear All Data does",
         &make<ClearCommand>,
         {
             {"--yes", "confirm the deletion (required)"},
         },
         "rivulet-cli --db study.db clear --yes"},
        {"update",
         "",
         "bring the data set up to date (histories, next-detection counts, release summary, "
         "models); print its releases with their fish, sites, years, data class and "
         "estimability",
         &make<UpdateCommand>,
         {},
         "rivulet-cli --db study.db update"},
        {"next-detections",
         "[--write FILE]",
         "write the next-detection counts in the counts-file format (what --counts reads)",
         &make<NextDetectionsCommand>,
         {
             {"--write FILE", "write the counts into FILE instead of printing them"},
         },
         "rivulet-cli --db study.db next-detections --write counts.txt"},
        {"summary",
         "[--json FILE]",
         "write the release summary as JSON",
         &make<SummaryCommand>,
         {
             {"--json FILE", "write the summary into FILE instead of printing it"},
         },
         "rivulet-cli --db study.db summary --json summary.json"},
        {"models",
         "",
         "list the models of the data set: data class, capture headings, each model's name and "
         "description, and whether \"Fit All Models\" fits it",
         &make<ModelsCommand>,
         {},
         "rivulet-cli --db study.db models"},
        {"fit",
         "[--optimizer TEXT] [--model NAME]... [--out DIR] [--report-model NAME] "
         "[--precision-est N] [--precision-err N] [--average] [--best-by AIC|AICc] "
         "[--count-by free|estimable] [--profile] [--chat X]",
         "bring the data set up to date and fit the models (all of the fit list, or the named "
         "ones); print the model comparison, and with --out write comparison.csv, "
         "estimates.csv and the reports of the best model (or of --report-model): "
         "survival, capture and performance as HTML and CSV, and releases.html",
         &make<FitCommand>,
         {
             {"--optimizer TEXT",
              "the optimizer and its settings (\"NAME;setting=value;...\", NAME "
              "one of fletch, quasi-newton, powell, simplex, newton; default: the "
              "settings' value)"},
             {"--model NAME", "fit this model instead of the fit list; repeat it for more models"},
             {"--out DIR", "write comparison.csv, estimates.csv and the reports into DIR"},
             {"--report-model NAME", "write the reports of this model instead of the best one"},
             {"--precision-est N",
              "decimals of the estimates in the reports (default: the settings' value)"},
             {"--precision-err N",
              "decimals of the standard errors in the reports (default: the settings' value)"},
             {"--average", "also average the estimates over the models, weighted by the criterion"},
             {"--best-by AIC|AICc",
              "the criterion that ranks the models (default: the settings' value)"},
             {"--count-by free|estimable",
              "the parameters AIC, AICc and the weights count: every free one, or only those the "
              "data inform (default: the settings' value)"},
             {"--profile", "give every free parameter a profile-likelihood interval (slower)"},
             {"--chat X",
              "the variance inflation factor c-hat of the study (default: the settings' value; "
              "below 1 counts as 1): above 1, the comparison adds QAICc, its differences and "
              "weights, standard errors are sqrt(c-hat) times wider, intervals follow, the "
              "profile cut-off is 3.84 c-hat and averages use the QAICc weights"},
         },
         "rivulet-cli --db study.db fit --out results --best-by AICc"},
        {"gof",
         "[--bootstrap N] [--seed S] [--json FILE]",
         "print the component goodness-of-fit tests (3.SR, 3.Sm, 2.CT, 2.CL) where sites act as "
         "occasions within each migration year, their totals, c-hat and the directional "
         "statistics; with --json also write them as JSON",
         &make<GofCommand>,
         {
             {"--bootstrap N",
              "also the parametric bootstrap c-hat of the most general model from N simulated "
              "studies (without it, none; the window's default is the setting "
              "gof_bootstrap_replicates, 100); Fletcher's c-hat is always given"},
             {"--seed S", "the seed of the bootstrap's random numbers (default 1)"},
             {"--json FILE", "also write the tables, totals and c-hat figures as JSON into FILE"},
         },
         "rivulet-cli --db study.db gof --bootstrap 100 --seed 7 --json gof.json"},
        {"design",
         "[--model NAME] --fish N,N,... [--replicates R] [--seed S] [--target QUANTITY:CV] "
         "[--out DIR]",
         "take a fitted model's estimates as the truth, simulate and fit studies of the same "
         "design with each number of fish per release, and print how precise the survival to "
         "the final site comes out (empirical and reported standard errors, the expected one "
         "from the information matrix, CV and coverage of the 95% intervals); the study's "
         "database is not changed",
         &make<DesignCommand>,
         {
             {"--model NAME", "the model to take as the truth (default: the best of the fit "
                              "list by AIC)"},
             {"--fish N,N,...", "the numbers of fish per release to try, separated by commas "
                                "(required)"},
             {"--replicates R", "simulated studies for each number of fish (default 50)"},
             {"--seed S", "the seed of the random numbers (default 1); the same seed gives the "
                          "same figures on any number of cores"},
             {"--target QUANTITY:CV",
              "also print the smallest number of fish per release whose CV of QUANTITY (a name "
              "of design.csv, or final: every release's survival to the final site) is at most "
              "CV (0.1 or 10%)"},
             {"--out DIR", "write design.csv (fish, quantity, truth, mean, sd, mean_se, "
                           "expected_se, cv, coverage; every quantity) into DIR"},
         },
         "rivulet-cli --db study.db design --fish 250,500,1000,2000 --replicates 50 --target "
         "final:10% --out design"},
        {"report",
         "releases [--html FILE]",
         "write the release summary report of the data (releases with their site, year and "
         "number of fish): its text, or with --html the report as HTML",
         &make<ReportCommand>,
         {
             {"releases", "the release summary report (the only report)"},
             {"--html FILE", "write the report as HTML into FILE instead of printing its text"},
         },
         "rivulet-cli --db study.db report releases --html releases.html"},
        {"sites",
         "[remove CODE | last CODE | reset]",
         "list every site (code, short name, active position or removed), or remove a site, "
         "make it the last one (the sites below are merged into it) or make every site and "
         "year take part again; an edit derives the detection sequences again",
         &make<SitesCommand>,
         {
             {"remove CODE", "leave the site out of the analysis"},
             {"last CODE", "make the site the last one; the sites below it are merged into it"},
             {"reset", "make every site and year take part again"},
         },
         "rivulet-cli --db study.db sites last HRJ"},
        {"years",
         "[remove YEAR]",
         "list the migration years, or take one out of the analysis (not a release year)",
         &make<YearsCommand>,
         {
             {"remove YEAR", "leave the migration year out of the analysis"},
         },
         "rivulet-cli --db study.db years remove 2010"},
        {"releases",
         "[include LABEL | exclude LABEL]",
         "list the releases with whether they take part, or include or exclude one (\"SITE "
         "YEAR\")",
         &make<ReleasesCommand>,
         {
             {"include LABEL", "let the release (\"SITE YEAR\") take part"},
             {"exclude LABEL", "leave the release (\"SITE YEAR\") out"},
         },
         "rivulet-cli --db study.db releases exclude \"ALDUPR 2008\""},
        {"diagram",
         "[--model NAME] [--release LABEL] --png FILE",
         "fit the model (default: the fit list, keeping the lowest AIC) and write the estimates "
         "diagram of the release (default: the first) as a PNG picture",
         &make<DiagramCommand>,
         {
             {"--model NAME", "the model to fit (default: the best of the fit list by AIC)"},
             {"--release LABEL", "the release (\"SITE YEAR\") to draw (default: the first)"},
             {"--png FILE", "the picture to write (required)"},
         },
         "rivulet-cli --db study.db diagram --release \"ALDUPR 2008\" --png aldupr.png"},
        {"cohort",
         "[NUMBER | all]",
         "list the cohorts, or restrict the analysis to one cohort (all: every cohort)",
         &make<CohortCommand>,
         {
             {"NUMBER", "analyse only the fish of this cohort"},
             {"all", "analyse the fish of every cohort"},
         },
         "rivulet-cli --db study.db cohort 1"},
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
