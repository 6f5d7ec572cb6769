#pragma once

#include "cli/CliCommand.h"

namespace rivulet::cli {

// "fit [--optimizer TEXT] [--model NAME]... [--out DIR]": brings the data set up to date,
// then fits the catalogue's fit list ("Fit All Models") or only the named models, in
// catalogue order, and prints the model comparison. --optimizer replaces the optimizer
// setting for this run ("id;name=value;..."); --out also writes comparison.csv and
// estimates.csv into the folder, which is created when missing, and the reports of the
// best model or of --report-model NAME (ReportSet; --precision-est N and --precision-err N
// set their decimals for the run), and measures.csv. --average also averages the estimates
// over the fitted models (averaged.csv with --out, else printed). --best-by AIC|AICc
// replaces the setting that chooses how the best model is marked, for this run.
class FitCommand : public CliCommand
{
public:
    int run(CliContext& context, const QStringList& arguments) override;
};

} // namespace rivulet::cli
