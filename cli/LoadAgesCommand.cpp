#include "cli/LoadAgesCommand.h"

#include "cli/CliContext.h"
#include "cli/CliOutput.h"
#include "lum/db/TableData.h"
#include "lum/thread/WorkerThread.h"
#include "rivulet/data/CohortDbModel.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/TagDbModel.h"
#include "rivulet/input/AgeDataLoader.h"

#include <QObject>

#include <memory>

namespace rivulet::cli {

namespace {

// What the loader reported, as far as the command needs it afterwards.
struct AgeRun
{
    int totalLines = 0;
    bool loaded = false;
};

void connectOutput(AgeDataLoader* loader, QObject* receiver, CliOutput& out, AgeRun& run)
{
    QObject::connect(loader, QOverload<const QString&, int>::of(&AgeDataLoader::loadError),
                     receiver, [&out](const QString& message, int line) {
                         out.error(line >= 1 ? message + QStringLiteral(" at line ") +
                                                   QString::number(line)
                                             : message);
                     });
    QObject::connect(loader, &AgeDataLoader::message, receiver, [&out, &run](const QString& text) {
        run.loaded = true;
        out.status(text);
    });
    QObject::connect(loader, &AgeDataLoader::totalNumLines, receiver,
                     [&run](int lines) { run.totalLines = lines; });
    QObject::connect(loader, &AgeDataLoader::progress, receiver, [&out, &run](int line) {
        if (run.totalLines > 0)
            out.progress(static_cast<int>(qint64(line) * 100 / run.totalLines));
    });
}

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
    if (!context.openDatabase())
        return ExitFailure;
    CliOutput& out = context.out();
    AgeRun run;
    QObject receiver;
    lum::WorkerThread::runAndWait(
        std::make_unique<AgeDataLoader>(arguments.first()),
        [&](AgeDataLoader* loader, QThread*) { connectOutput(loader, &receiver, out, run); });
    out.endProgress();
    if (!run.loaded)
        return ExitFailure;
    printSummary(out);
    return ExitSuccess;
}

} // namespace rivulet::cli
