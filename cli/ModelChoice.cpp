#include "cli/ModelChoice.h"

#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/TerminalTracker.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"

#include <QStringList>

namespace rivulet::cli {

ChosenModel fitChosenModel(CliContext& context, Study& study, const QString& name)
{
    CliOutput& out = context.out();
    const ModelCatalogue& catalogue = study.catalogue();
    FitJob::Options options;
    // A fit of one command's model must not replace the fits kept with the study.
    options.store = false;
    if (!name.isEmpty()) {
        QStringList known;
        for (const auto& item : catalogue.definitionItems()) {
            if (item->isHeading())
                continue;
            known << item->name();
            if (item->name() == name)
                options.schemes.push_back(item->scheme());
        }
        if (options.schemes.empty()) {
            out.error(QStringLiteral("unknown model \"%1\"; the models of this data set are: %2")
                          .arg(name, known.isEmpty() ? QStringLiteral("(none)")
                                                     : known.join(QStringLiteral(", "))));
            return {-1, ExitUsage};
        }
    } else if (catalogue.fitList().empty()) {
        out.error(QStringLiteral("None of the models are estimable."));
        return {-1, ExitFailure};
    }
    // The fits kept with the study, when it has them for these data, save fitting again.
    const EstimationResults& stored = study.results();
    if (study.resultsWereStored()) {
        const int model =
            options.schemes.empty() ? stored.bestIndex() : stored.indexOf(options.schemes.front());
        if (model >= 0) {
            out.status(
                QStringLiteral("Using the stored fit of %1.")
                    .arg(ModelCatalogue::modelName(catalogue.dataClass(), stored.scheme(model))));
            return {model, ExitSuccess};
        }
    }
    const auto fit = context.actions().fit(options);
    if (context.tracker().run(*fit) != TerminalTracker::Complete)
        return {-1, ExitFailure};
    const EstimationResults& results = study.results();
    if (results.isEmpty()) {
        out.error(QStringLiteral("No models produced parameter estimates"));
        return {-1, ExitFailure};
    }
    return {results.bestIndex(), ExitSuccess};
}

} // namespace rivulet::cli
