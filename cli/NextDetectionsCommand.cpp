#include "cli/NextDetectionsCommand.h"

#include "cli/ArgumentParser.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/TerminalTracker.h"
#include "rivulet/study/SaveNextDetectionsJob.h"
#include "rivulet/study/StudyActions.h"

#include <QFileInfo>

namespace rivulet::cli {

int NextDetectionsCommand::run(CliContext& context, const QStringList& arguments)
{
    ArgumentParser parser(QStringLiteral("next-detections"));
    parser.addOption(QStringLiteral("write"), QStringLiteral("FILE"));
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        context.out().error(parser.error().isEmpty()
                                ? QStringLiteral("next-detections does not take \"%1\"")
                                      .arg(parser.positionalArguments().value(0))
                                : parser.error());
        return ExitUsage;
    }
    if (!context.updatedStudy())
        return ExitFailure;
    QString path = parser.value(QStringLiteral("write"));
    if (path == QLatin1String("-"))
        path.clear();
    const QFileInfo target(path);
    if (!path.isEmpty() && target.exists() && !target.isFile()) {
        context.out().error(QStringLiteral("Can't write \"%1\": it is not a regular file.%2")
                                .arg(path, CliOutput::outputHint));
        return ExitFailure;
    }
    const auto save = context.actions().saveNextDetections(path);
    if (context.tracker().run(*save) != TerminalTracker::Complete)
        return ExitFailure;
    if (path.isEmpty())
        context.out().print(QString::fromUtf8(save->text()));
    return ExitSuccess;
}

} // namespace rivulet::cli
