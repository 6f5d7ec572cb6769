#include "cli/ConfigurationEdit.h"

#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "lum/db/DbTransaction.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyConfiguration.h"

namespace rivulet::cli {

Study* configurableStudy(CliContext& context, const QString& command)
{
    if (!context.options().countsFile.isEmpty()) {
        context.out().error(
            QStringLiteral("%1: the data set of a counts file cannot be configured").arg(command));
        return nullptr;
    }
    return context.updatedStudy();
}

int runConfigurationEdit(CliContext& context, const QString& command,
                         const std::function<lum::Expected<void>(StudyConfiguration&)>& edit)
{
    Study* study = configurableStudy(context, command);
    if (!study)
        return ExitFailure;
    lum::SqliteDb* db = study->database().database();
    // The edit is made on the positions this run just derived; a study another process changed
    // since (a load, another edit) would take it at the wrong place, so it waits for the write
    // lock and goes ahead only if nothing was committed meanwhile.
    const qint64 seen = db->dataVersion();
    lum::DbTransaction lock(*db);
    if (!lock.begun()) {
        context.out().error(QStringLiteral("%1: nothing was changed: %2")
                                .arg(command, lock.begun().error().text()));
        return ExitFailure;
    }
    if (db->dataVersion() != seen) {
        context.out().error(QStringLiteral("%1: another process changed the study while this "
                                           "command read it; nothing was changed. Run the "
                                           "command again.")
                                .arg(command));
        return ExitFailure;
    }
    StudyConfiguration configuration(*study);
    if (const lum::Expected<void> edited = edit(configuration); !edited) {
        context.out().error(QStringLiteral("%1: %2").arg(command, edited.error().text()));
        return ExitFailure;
    }
    if (const lum::Expected<void> stored = lock.commit(); !stored) {
        context.out().error(QStringLiteral("%1: the change could not be stored: %2")
                                .arg(command, stored.error().text()));
        return ExitFailure;
    }
    // The detection sequences, counts and summary follow the new configuration.
    switch (context.runUpdate()) {
    case 0:
        return ExitSuccess;
    case 2:
        context.out().warning(
            QStringLiteral("%1: the change was stored; the update that derives the detection "
                           "histories from it was canceled. Run \"update\" before fitting.")
                .arg(command));
        return ExitStoredThenCanceled;
    default:
        context.out().error(
            QStringLiteral("%1: the change was stored, but the update that follows it failed")
                .arg(command));
        return ExitFailure;
    }
}

} // namespace rivulet::cli
