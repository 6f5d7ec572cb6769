#include "cli/ClearCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "rivulet/study/Study.h"

namespace rivulet::cli {

int ClearCommand::run(CliContext& context, const QStringList& arguments)
{
    if (arguments != QStringList{QStringLiteral("--yes")}) {
        context.out().error(QStringLiteral("clear deletes every table of the study; add --yes to "
                                           "go ahead"));
        return ExitUsage;
    }
    Study* study = context.study();
    if (!study)
        return ExitFailure;
    if (const lum::Expected<void> cleared = study->clearAllData(); !cleared) {
        context.out().error(
            QStringLiteral("clear: nothing was deleted: %1").arg(cleared.error().text()));
        return ExitFailure;
    }
    context.out().status(QStringLiteral("All data deleted."));
    switch (context.runUpdate()) {
    case 0:
        return ExitSuccess;
    case 2:
        return ExitStoredThenCanceled;
    default:
        return ExitFailure;
    }
}

} // namespace rivulet::cli
