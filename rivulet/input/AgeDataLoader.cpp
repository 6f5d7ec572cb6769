#include "rivulet/input/AgeDataLoader.h"

#include "lum/db/DbTransaction.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/CohortsController.h"
#include "rivulet/data/DerivedDataStore.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/input/AgeLine.h"
#include "rivulet/input/DataFileReader.h"
#include "rivulet/input/TagCohortTable.h"

#include <utility>

namespace rivulet {

namespace {

QString atLine(const QString& message, int lineNumber)
{
    return lineNumber >= 1 ? message + QStringLiteral(" at line ") + QString::number(lineNumber)
                           : message;
}

} // namespace

AgeDataLoader::AgeDataLoader(QString fileName, RivuletDb* rdb, lum::ThreadRunner* runner,
                             QObject* parent)
    : lum::ThreadRunnable(runner, parent), m_fileName(std::move(fileName)),
      m_rdb(rdb ? rdb : &RivuletDb::instance())
{
}

void AgeDataLoader::run()
{
    clearError();
    m_loaded = false;
    m_failed = !load();
}

bool AgeDataLoader::fail(const QString& message, int lineNumber, lum::JobError code)
{
    lum::ThreadRunnable::fail(code, atLine(message, lineNumber));
    return false;
}

void AgeDataLoader::lineProblem(const QString& message, int lineNumber)
{
    errorStatus(atLine(message, lineNumber));
}

bool AgeDataLoader::load()
{
    DataFileReader reader(m_fileName);
    if (!reader.open())
        return fail(QStringLiteral("Unable to open file ") + quoted(m_fileName), -1,
                    lum::JobError::File);
    switch (reader.survey()) {
    case DataFileReader::Text:
    case DataFileReader::Empty:
        break;
    case DataFileReader::Binary:
        return fail(QStringLiteral("File ") + quoted(m_fileName) +
                        QStringLiteral(" is not a text file"),
                    -1);
    case DataFileReader::Unreadable:
        return fail(QStringLiteral("Unable to read file ") + quoted(m_fileName), -1,
                    lum::JobError::File);
    }
    setNumSteps(reader.lineCount());

    lum::SqliteDb* db = m_rdb->database();
    if (!db)
        return fail(QStringLiteral("The database is not open"), -1, lum::JobError::Database);
    // Everything of the file or nothing: leaving early rolls back.
    const auto notStored = [this](const lum::Error& error, int lineNumber) {
        return fail(QStringLiteral("Unable to store the age data: ") + error.text(), lineNumber,
                    lum::JobError::Database);
    };
    lum::DbTransaction transaction(*db);
    if (!transaction.begun())
        return notStored(transaction.begun().error(), -1);
    // The cohorts of the tags decide which histories a cohort's update reads.
    if (lum::Expected<void> forgotten = DerivedDataStore::forget(*db); !forgotten)
        return notStored(forgotten.error(), -1);
    TagCohortTable tags(*m_rdb);
    if (lum::Expected<void> prepared = tags.prepare(); !prepared)
        return notStored(prepared.error(), -1);
    CohortsController cohorts(*m_rdb);
    // The database is back as it was before the error is reported.
    const auto abort = [&](const QString& message, int lineNumber,
                           lum::JobError code = lum::JobError::Input) {
        (void)transaction.rollback();
        return fail(message, lineNumber, code);
    };

    int matched = 0;
    int unknown = 0;
    QString text;
    while (reader.readLine(text)) {
        const int number = reader.lineNumber();
        if (number % progressInterval == 0) {
            setStep(number);
            if (cancelRequested()) {
                (void)transaction.rollback();
                status(QStringLiteral("Loading canceled; the database is unchanged"));
                return true;
            }
        }
        const AgeLine line = AgeLine::parse(text);
        if (line.kind == AgeLine::Skipped)
            continue;
        if (line.kind == AgeLine::Invalid)
            return abort(QStringLiteral("%1 (column %2, value %3) in file %4")
                             .arg(line.error)
                             .arg(line.column)
                             .arg(quoted(line.value), quoted(m_fileName)),
                         number);
        if (!tags.exists(line.tagCode)) {
            ++unknown;
            lineProblem(QStringLiteral("No such tag ") + quoted(line.tagCode), number);
            continue;
        }
        ++matched;
        const lum::Expected<int> cohortId = cohorts.cohortId(line.cohort);
        lum::Expected<void> stored = cohortId ? tags.setCohort(line.tagCode, *cohortId)
                                              : lum::Expected<void>(cohortId.error());
        if (!stored)
            return abort(QStringLiteral("Unable to store the age data: ") + stored.error().text(),
                         number, lum::JobError::Database);
    }
    // A file none of whose tags is stored belongs to another study (or the observations were
    // not loaded yet): storing nothing is not a load.
    if (matched == 0 && unknown > 0)
        return abort(QStringLiteral("None of the %1 tags of file %2 is in the study; nothing was "
                                    "stored. Load the observations of these fish first.")
                         .arg(unknown)
                         .arg(quoted(m_fileName)),
                     -1);
    if (lum::Expected<void> committed = transaction.commit(); !committed)
        return notStored(committed.error(), -1);
    m_loaded = true;
    setStep(reader.lineCount());
    const QString done =
        unknown == 0 ? QStringLiteral("Age data successfully loaded.")
                     : QStringLiteral("Age data loaded for %1 tags; %2 tags not in the study "
                                      "were skipped.")
                           .arg(matched)
                           .arg(unknown);
    status(done);
    return true;
}

} // namespace rivulet
