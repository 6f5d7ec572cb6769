#include "cli/SummaryCommand.h"

#include "cli/ArgumentParser.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "rivulet/study/Study.h"
#include "rivulet/summary/ReleaseSummaryJson.h"

namespace rivulet::cli {

int SummaryCommand::run(CliContext& context, const QStringList& arguments)
{
    ArgumentParser parser(QStringLiteral("summary"));
    parser.addOption(QStringLiteral("json"), QStringLiteral("FILE"));
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        context.out().error(parser.error().isEmpty()
                                ? QStringLiteral("summary does not take \"%1\"")
                                      .arg(parser.positionalArguments().value(0))
                                : parser.error());
        return ExitUsage;
    }
    const Study* study = context.updatedStudy();
    if (!study)
        return ExitFailure;
    const QJsonDocument document =
        ReleaseSummaryJson(study->summary(), study->releases()).document();
    return context.out().writeFileOrPrint(parser.value(QStringLiteral("json")),
                                          document.toJson(QJsonDocument::Indented))
               ? ExitSuccess
               : ExitFailure;
}

} // namespace rivulet::cli
