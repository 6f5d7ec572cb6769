#include "cli/NextDetectionsCommand.h"

#include "cli/CliContext.h"
#include "cli/FileOption.h"
#include "cli/StudyContext.h"
#include "rivulet/data/NextDetectionsI.h"

#include <QTextStream>

namespace rivulet::cli {

int NextDetectionsCommand::run(CliContext& context, const QStringList& arguments)
{
    FileOption file(QStringLiteral("write"));
    if (!file.parse(arguments, context.out(), QStringLiteral("next-detections")))
        return ExitUsage;
    StudyContext study(context);
    if (!study.open())
        return ExitFailure;
    QByteArray content;
    {
        QTextStream out(&content);
        study.nextDetections().write(out);
    }
    return file.write(content, context.out()) ? ExitSuccess : ExitFailure;
}

} // namespace rivulet::cli
