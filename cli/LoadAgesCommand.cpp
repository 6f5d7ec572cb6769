#include "cli/LoadAgesCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "cli/TerminalTracker.h"
#include "lum/db/TableData.h"
#include "rivulet/data/CohortDbModel.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/TagDbModel.h"
#include "rivulet/input/AgeDataLoader.h"
#include "rivulet/study/StudyActions.h"

namespace rivulet::cli {

namespace {

void printSummary(CliOutput& out)
{
    RivuletDb& rdb = RivuletDb::instance();
    const lum::DbModel* cohorts = rdb.model(RivuletDb::Cohorts);
    const lum::DbModel* tags = rdb.model(RivuletDb::Tags);
    const lum::TableData cohortCount(*rdb.database(), QStringLiteral("select count(*) from ") +
                                                          cohorts->tableName());
    const lum::TableData tagCount(
        *rdb.database(),
        QStringLiteral("select count(*) from ") + tags->tableName() + QStringLiteral(" where ") +
            tags->quotedColumnName(TagDbModel::CohortId) + QStringLiteral(" != -1"));
    out.status(QStringLiteral("Stored:"));
    out.status(QStringLiteral("  cohorts             %1").arg(cohortCount.intValue(0, 0)));
    out.status(QStringLiteral("  tags with a cohort  %1").arg(tagCount.intValue(0, 0)));
}

} // namespace

int LoadAgesCommand::run(CliContext& context, const QStringList& arguments)
{
    if (arguments.size() != 1) {
        context.out().error(QStringLiteral("load-ages takes one argument: the file"));
        return ExitUsage;
    }
    if (!context.openDatabase() || !context.study())
        return ExitFailure;
    const auto load = context.actions().loadAges(arguments.first());
    switch (context.tracker().run(*load)) {
    case TerminalTracker::Complete:
        break;
    case TerminalTracker::Canceled:
        if (load->storedDespiteCancel()) {
            context.out().warning(
                QStringLiteral("Ctrl-C came after the ages of \"%1\" were stored: the tags have "
                               "their cohorts; only the load's closing report was canceled.")
                    .arg(arguments.first()));
            printSummary(context.out());
            return ExitStoredThenCanceled;
        }
        context.out().warning(
            QStringLiteral("Age data load canceled; the stored study is unchanged."));
        return ExitFailure;
    case TerminalTracker::Failed:
        return ExitFailure;
    }
    if (!load->job().loaded())
        return ExitFailure;
    printSummary(context.out());
    return ExitSuccess;
}

} // namespace rivulet::cli
