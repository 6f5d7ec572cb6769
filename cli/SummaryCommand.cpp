#include "cli/SummaryCommand.h"

#include "cli/CliContext.h"
#include "cli/FileOption.h"
#include "cli/StudyContext.h"
#include "rivulet/data/ReleaseSummaryJson.h"

namespace rivulet::cli {

int SummaryCommand::run(CliContext& context, const QStringList& arguments)
{
    FileOption file(QStringLiteral("json"));
    if (!file.parse(arguments, context.out(), QStringLiteral("summary")))
        return ExitUsage;
    StudyContext study(context);
    if (!study.open())
        return ExitFailure;
    const QJsonDocument document = ReleaseSummaryJson(study.summary(), study.releases()).document();
    return file.write(document.toJson(QJsonDocument::Indented), context.out()) ? ExitSuccess
                                                                               : ExitFailure;
}

} // namespace rivulet::cli
