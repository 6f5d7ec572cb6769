#include "cli/LoadObservationsCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/TerminalTracker.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/study/StudyActions.h"

namespace rivulet::cli {

namespace {

void printSummary(CliOutput& out, const ObsLoadSummary& summary)
{
    const auto line = [&out](const char* label, int value) {
        out.status(QStringLiteral("  %1 %2").arg(QString::fromLatin1(label), -48).arg(value));
    };
    out.status(QStringLiteral("Stored:"));
    line("tags", summary.tags);
    line("detections kept", summary.detections);
    line("detections dropped (not downstream of release)", summary.droppedDetections);
    line("rows ignored (filter \"A\")", summary.ignoredRows);
    line("releases", summary.releases);
    line("sites", summary.sites);
    line("years", summary.years);
}

} // namespace

int LoadObservationsCommand::run(CliContext& context, const QStringList& arguments)
{
    if (arguments.size() != 1) {
        context.out().error(QStringLiteral("load-observations takes one argument: the file"));
        return ExitUsage;
    }
    if (!context.openDatabase() || !context.study())
        return ExitFailure;
    const auto load = context.actions().loadObservations(arguments.first());
    load->job().setSitesConfigRemedy(
        QStringLiteral("Name a sites configuration file with --sites-config FILE."));
    switch (context.tracker().run(*load)) {
    case TerminalTracker::Complete:
        break;
    case TerminalTracker::Canceled:
        if (load->storedDespiteCancel()) {
            context.out().warning(
                QStringLiteral("Ctrl-C came after the new study was stored: the study now holds "
                               "the data of \"%1\"; only the load's closing report was canceled. "
                               "Run \"update\" before fitting.")
                    .arg(arguments.first()));
            printSummary(context.out(), load->job().summary());
            return ExitStoredThenCanceled;
        }
        context.out().warning(QStringLiteral("Load Data canceled; the stored study is unchanged."));
        return ExitFailure;
    case TerminalTracker::Failed:
        return ExitFailure;
    }
    if (load->job().failed())
        return ExitFailure;
    printSummary(context.out(), load->job().summary());
    return ExitSuccess;
}

} // namespace rivulet::cli
