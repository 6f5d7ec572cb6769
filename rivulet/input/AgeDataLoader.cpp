#include "rivulet/input/AgeDataLoader.h"

#include "lum/db/DbTransaction.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/CohortsController.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/input/AgeLine.h"
#include "rivulet/input/DataFileReader.h"
#include "rivulet/input/TagCohortTable.h"

#include <utility>

namespace rivulet {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

AgeDataLoader::AgeDataLoader(QString fileName, RivuletDb* rdb, QObject* parent)
    : QObject(parent), m_fileName(std::move(fileName)), m_rdb(rdb ? rdb : &RivuletDb::instance())
{
}

void AgeDataLoader::process()
{
    m_failed = !load();
    emit finished();
}

bool AgeDataLoader::fail(const QString& message, int lineNumber)
{
    emit loadError(message, lineNumber);
    return false;
}

bool AgeDataLoader::load()
{
    DataFileReader reader(m_fileName);
    if (!reader.open())
        return fail(QStringLiteral("Unable to open file ") + quoted(m_fileName), -1);
    switch (reader.survey()) {
    case DataFileReader::Text:
    case DataFileReader::Empty:
        break;
    case DataFileReader::Binary:
        return fail(QStringLiteral("File ") + quoted(m_fileName) +
                        QStringLiteral(" is not a text file"),
                    -1);
    case DataFileReader::Unreadable:
        return fail(QStringLiteral("Unable to read file ") + quoted(m_fileName), -1);
    }
    emit totalNumLines(reader.lineCount());

    lum::SqliteDb* db = m_rdb->database();
    if (!db)
        return fail(QStringLiteral("The database is not open"), -1);
    // Everything of the file or nothing: leaving early rolls back.
    lum::DbTransaction transaction(*db);
    if (transaction.error() != 0)
        return fail(QStringLiteral("Unable to store the age data: ") + db->lastError().text(), -1);
    TagCohortTable tags(*m_rdb);
    if (tags.prepare() != 0)
        return fail(QStringLiteral("Unable to store the age data: ") + tags.lastError(), -1);
    CohortsController cohorts(*m_rdb);
    // The database is back as it was before the error is reported.
    const auto abort = [&](const QString& message, int lineNumber) {
        transaction.rollback();
        return fail(message, lineNumber);
    };

    QString text;
    while (reader.readLine(text)) {
        const int number = reader.lineNumber();
        if (number % progressInterval == 0)
            emit progress(number);
        const AgeLine line = AgeLine::parse(text);
        if (line.kind == AgeLine::Skipped)
            continue;
        if (line.kind == AgeLine::Invalid)
            return abort(line.error, number);
        if (!tags.exists(line.tagCode)) {
            emit loadError(QStringLiteral("No such tag ") + quoted(line.tagCode), number);
            continue;
        }
        const int cohortId = cohorts.cohortId(line.cohort);
        if (cohortId == -1 || tags.setCohort(line.tagCode, cohortId) != 0)
            return abort(QStringLiteral("Unable to store the age data: ") +
                             (cohortId == -1 ? db->lastError().text() : tags.lastError()),
                         number);
    }
    if (transaction.commit() != 0)
        return fail(QStringLiteral("Unable to store the age data: ") + db->lastError().text(), -1);
    emit message(QStringLiteral("Age data successfully loaded."));
    return true;
}

} // namespace rivulet
