#include "cli/ModelsCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/study/Study.h"

#include <algorithm>

namespace rivulet::cli {

namespace {

QString dataClassText(DataClass dataClass)
{
    switch (dataClass) {
    case DataClass::OneSiteOneYear:
        return QStringLiteral("one release site, one release year");
    case DataClass::SeveralSitesOneYear:
        return QStringLiteral("several release sites, one release year");
    case DataClass::OneSiteSeveralYears:
        return QStringLiteral("one release site, several release years");
    case DataClass::SeveralSitesSeveralYears:
        return QStringLiteral("several release sites, several release years");
    }
    return QString();
}

} // namespace

int ModelsCommand::run(CliContext& context, const QStringList& arguments)
{
    if (!arguments.isEmpty()) {
        context.out().error(QStringLiteral("models takes no arguments"));
        return ExitUsage;
    }
    const Study* study = context.updatedStudy();
    if (!study)
        return ExitFailure;
    CliOutput& out = context.out();
    const ModelCatalogue& catalogue = study->catalogue();
    if (catalogue.definitionItems().empty()) {
        out.status(QStringLiteral("No models: the data set has no releases."));
        return ExitSuccess;
    }
    const DataClass dataClass = catalogue.dataClass();
    out.status(QStringLiteral("Data class %1: %2")
                   .arg(dataClassNumber(dataClass))
                   .arg(dataClassText(dataClass)));
    const auto& fitList = catalogue.fitList();
    for (const auto& item : catalogue.definitionItems()) {
        if (item->isHeading()) {
            out.status(item->description());
            continue;
        }
        const bool fitted =
            std::find(fitList.begin(), fitList.end(), item->scheme()) != fitList.end();
        out.status(QStringLiteral("  %1 %2 %3")
                       .arg(item->name(), -8)
                       .arg(fitted ? QStringLiteral("fit") : QStringLiteral("-"), -3)
                       .arg(item->description()));
    }
    out.status(
        fitList.empty()
            ? QStringLiteral("None of the models are estimable.")
            : QStringLiteral("\"Fit All Models\" fits %1 of the models.").arg(fitList.size()));
    return ExitSuccess;
}

} // namespace rivulet::cli
