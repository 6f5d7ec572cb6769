#include "rivulet/input/ObsDataLoader.h"

#include "lum/db/DbTransaction.h"
#include "lum/db/SqliteDb.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/input/DataFileReader.h"
#include "rivulet/input/ObsDateTime.h"
#include "rivulet/input/ObsRecord.h"
#include "rivulet/input/ObsStudyWriter.h"
#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigAppSettings.h"
#include "rivulet/input/SitesConfigLoader.h"
#include "rivulet/settings/RivuletSettings.h"

#include <QHash>
#include <QPair>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rivulet {

namespace {

constexpr int maxTagLength = 32;
// Years a study of tagged fish can have; anything else is a typing or export error.
constexpr int firstYear = 1950;
constexpr int lastYear = 2100;

bool isPlausibleYear(int year)
{
    return year >= firstYear && year <= lastYear;
}

bool isTagCode(std::string_view tag)
{
    if (tag.empty() || tag.size() > std::size_t(maxTagLength))
        return false;
    return std::all_of(tag.begin(), tag.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               c == '.';
    });
}

bool isEventType(std::string_view event)
{
    static const QStringList known = {QStringLiteral("mark"),
                                      QStringLiteral("observation"),
                                      QStringLiteral("recapture"),
                                      QStringLiteral("recovery"),
                                      QStringLiteral("mortality"),
                                      QStringLiteral("release"),
                                      QStringLiteral("passive recapture")};
    return known.contains(QString::fromUtf8(event.data(), int(event.size())).toLower());
}

// How often (in lines) a long load looks for a cancel request.
constexpr int cancelCheckLines = 4096;

std::string_view viewOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

// Not in the anonymous namespace: ObsDataLoader::Lookups, a class with linkage, holds these.
namespace obsfields {

// The texts of a field remembered with what each stands for: a file names only a few sites and
// antennas, but on nearly every row, and mostly the same as on the row before.
template <typename Value>
class Remembered
{
public:
    struct Entry
    {
        QByteArray bytes;
        QString text;
        Value value;
    };

    // The entry of `bytes`, made with `find(text)` the first time. Entries stay where they
    // are until clear().
    template <typename Find>
    const Entry& get(std::string_view bytes, Find find)
    {
        if (m_last != nullptr && viewOf(m_last->bytes) == bytes)
            return *m_last;
        const auto found = m_entries.find(bytes);
        if (found != m_entries.end()) {
            m_last = found->second.get();
            return *m_last;
        }
        auto entry = std::make_unique<Entry>();
        entry->bytes = QByteArray(bytes.data(), static_cast<int>(bytes.size()));
        entry->text = QString::fromUtf8(entry->bytes);
        entry->value = find(entry->text);
        m_last = entry.get();
        m_entries.emplace(viewOf(entry->bytes), std::move(entry));
        return *m_last;
    }

    std::size_t size() const { return m_entries.size(); }
    void clear()
    {
        m_last = nullptr;
        m_entries.clear();
    }

private:
    // Keyed by views of the entries' own bytes.
    std::unordered_map<std::string_view, std::unique_ptr<Entry>> m_entries;
    const Entry* m_last = nullptr;
};

} // namespace obsfields

struct ObsDataLoader::Lookups
{
    ObsDateTime time;
    obsfields::Remembered<const SiteRecord*> releaseSites;
    obsfields::Remembered<const SiteRecord*> detectionSites;
    obsfields::Remembered<bool> coils;
    QHash<QPair<const SiteRecord*, const SiteRecord*>, bool> downstream;
};

ObsDataLoader::ObsDataLoader(QString fileName, ReleasesController* releases, SitesController* sites,
                             YearsController* years, QString sitesConfigPath,
                             lum::ThreadRunner* runner, RivuletDb* rdb)
    : lum::ThreadRunnable(runner), m_fileName(std::move(fileName)),
      m_sitesConfigPath(std::move(sitesConfigPath)), m_releases(releases), m_sites(sites),
      m_years(years), m_rdb(rdb ? rdb : &RivuletDb::instance()),
      m_ownConfig(std::make_unique<SitesConfig>()), m_config(m_ownConfig.get()),
      m_appSettings(std::make_unique<SitesConfigAppSettings>(RivuletSettings::instance()))
{
    m_settings = m_appSettings.get();
}

ObsDataLoader::~ObsDataLoader() = default;

void ObsDataLoader::setSitesConfig(SitesConfig* config, SitesConfigSettingsI* settings)
{
    m_config = config ? config : m_ownConfig.get();
    m_settings = settings ? settings : m_appSettings.get();
}

void ObsDataLoader::run()
{
    m_failed = false;
    clearError();
    m_summary = ObsLoadSummary();
    m_tagCode.clear();
    m_releaseSite = nullptr;
    m_lookups = std::make_unique<Lookups>();

    SitesConfigLoader configLoader(*m_config, *m_settings, *this);
    configLoader.setRemedy(m_sitesConfigRemedy);
    if (!configLoader.ensureLoaded(m_sitesConfigPath)) {
        // The configuration step has reported why; its error fails the run.
        m_failed = true;
        return;
    }
    DataFileReader reader(m_fileName);
    if (prepareFile(reader))
        store(reader);
}

void ObsDataLoader::store(DataFileReader& reader)
{
    lum::SqliteDb* db = m_rdb->database();
    if (!db) {
        fail(QStringLiteral("The database is not open"), 0, lum::JobError::Database);
        return;
    }
    // Leaving early rolls the transaction back: the previous study stays as it was.
    lum::DbTransaction transaction(*db);
    if (transaction.error() != 0) {
        fail(QStringLiteral("Unable to store the data: ") + db->lastError().text(), 0,
             lum::JobError::Database);
        return;
    }
    ObsStudyWriter writer(*m_rdb, *m_releases, *m_sites, *m_years);
    if (writer.start() != 0) {
        fail(QStringLiteral("Unable to store the data: ") + writer.lastError(), 0,
             lum::JobError::Database);
        return;
    }
    if (!readRows(reader, writer))
        return;
    reader.close();
    if (m_summary.rows == 0) {
        fail(QStringLiteral("No detection records in file ") + quoted(m_fileName));
        return;
    }
    progressStatus(QStringLiteral("Updating"));
    setStep(m_summary.lines);
    if (writer.finish() != 0 || transaction.commit() != 0) {
        fail(QStringLiteral("Unable to store the data: ") +
                 (writer.lastError().isEmpty() ? db->lastError().text() : writer.lastError()),
             0, lum::JobError::Database);
        return;
    }
    m_summary.tags = writer.tagCount();
    m_summary.detections = writer.detectionCount();
    m_summary.releases = writer.releaseCount();
    m_summary.sites = writer.siteCount();
    m_summary.years = writer.yearCount();
}

bool ObsDataLoader::prepareFile(DataFileReader& reader)
{
    if (!reader.open()) {
        fail(QStringLiteral("Unable to open file ") + quoted(m_fileName) +
                 QStringLiteral(" for reading"),
             0, lum::JobError::File);
        return false;
    }
    switch (reader.survey()) {
    case DataFileReader::Text:
        break;
    case DataFileReader::Empty:
        fail(QStringLiteral("File ") + quoted(m_fileName) + QStringLiteral(" is empty"));
        return false;
    case DataFileReader::Binary:
        fail(QStringLiteral("File ") + quoted(m_fileName) + QStringLiteral(" is not a text file"));
        return false;
    case DataFileReader::Unreadable:
        fail(QStringLiteral("Unable to read file ") + quoted(m_fileName), 0, lum::JobError::File);
        return false;
    }
    m_summary.lines = reader.lineCount();
    setNumSteps(reader.lineCount());
    progressStatus(QStringLiteral("Loading ") + quoted(m_fileName));
    return true;
}

bool ObsDataLoader::readRows(DataFileReader& reader, ObsStudyWriter& writer)
{
    QByteArray line;
    ObsRecord record;
    while (reader.readLine(line)) {
        const int number = reader.lineNumber();
        if (number % cancelCheckLines == 0 && cancelRequested()) {
            status(QStringLiteral("Loading canceled; the database is unchanged"));
            m_failed = true;
            return false;
        }
        if (ObsRecord::isSkipped(line))
            continue;
        setStep(number);
        record.split(line);
        m_line = &line;
        if (m_summary.rows++ == 0 && looksLikeTitles(record)) {
            fail(QStringLiteral("Column titles instead of data at line ") +
                 QString::number(number) +
                 QStringLiteral("; comment the title line out with \"#\""));
            return false;
        }
        if (readRow(record, number, writer) == RowFailed)
            return false;
    }
    return true;
}

bool ObsDataLoader::looksLikeTitles(const ObsRecord& record) const
{
    // A data row has date-times where a title row has words; a row (not filtered out) whose
    // release time and detection time are both words and whose release site is unknown is
    // taken for titles.
    ObsDateTime time;
    const std::string_view released = record.field(ObsRecord::ReleaseTime);
    const std::string_view observed = record.field(ObsRecord::ObsTime);
    return record.field(ObsRecord::RowFilter) != "A" && !released.empty() && !time.read(released) &&
           !observed.empty() && !time.read(observed) &&
           !m_config->findReleaseSite(record.fieldText(ObsRecord::ReleaseSite));
}

ObsDataLoader::RowResult ObsDataLoader::readRow(const ObsRecord& record, int line,
                                                ObsStudyWriter& writer)
{
    const std::string_view tag = record.field(ObsRecord::TagCode);
    if (tag.empty())
        return failOnField(QStringLiteral("Missing tagId"), line, record, ObsRecord::TagCode);
    if (record.field(ObsRecord::RowFilter) == "A") {
        ++m_summary.ignoredRows;
        return RowDone;
    }
    // All rows of one tag follow one another; its release is read from the first, and a later
    // row naming another release contradicts it.
    if (tag != viewOf(m_tagCode)) {
        if (startTag(record, line, writer) == RowFailed)
            return RowFailed;
    } else if (record.field(ObsRecord::ReleaseSite) != viewOf(m_releaseSiteText)) {
        return failOnField(QStringLiteral("Another release site than line %1 gives this tag "
                                          "(\"%2\"); expected the same release on every row of "
                                          "a tag")
                               .arg(m_tagLine)
                               .arg(QString::fromUtf8(m_releaseSiteText)),
                           line, record, ObsRecord::ReleaseSite);
    } else if (record.field(ObsRecord::ReleaseTime) != viewOf(m_releaseTimeText)) {
        return failOnField(QStringLiteral("Another release date than line %1 gives this tag "
                                          "(\"%2\"); expected the same release on every row of "
                                          "a tag")
                               .arg(m_tagLine)
                               .arg(QString::fromUtf8(m_releaseTimeText)),
                           line, record, ObsRecord::ReleaseTime);
    }
    // A repeated row would count its detection twice.
    const auto repeated = m_tagRows.constFind(*m_line);
    if (repeated != m_tagRows.constEnd())
        return failOnField(QStringLiteral("The whole row repeats line %1; expected each row "
                                          "once")
                               .arg(*repeated),
                           line, record, ObsRecord::TagCode);
    m_tagRows.insert(*m_line, line);
    const std::string_view event = record.field(ObsRecord::EventType);
    if (!event.empty() && !isEventType(event))
        return failOnField(QStringLiteral("Unknown event type; expected Mark, Observation, "
                                          "Recapture, Recovery, Mortality, Passive Recapture or "
                                          "Release"),
                           line, record, ObsRecord::EventType);
    if (record.field(ObsRecord::ObsTime).empty())
        return RowDone;
    return readDetection(record, line, writer);
}

ObsDataLoader::RowResult ObsDataLoader::startTag(const ObsRecord& record, int line,
                                                 ObsStudyWriter& writer)
{
    const std::string_view tag = record.field(ObsRecord::TagCode);
    // The ages file names tags by their code: blanks, a byte-order mark or a date inside one
    // would keep it from ever getting a cohort.
    if (!isTagCode(tag))
        return failOnField(QStringLiteral("Invalid tag code; expected up to %1 letters, digits "
                                          "and dots, such as 3D9.1C2D8F2B5F")
                               .arg(maxTagLength),
                           line, record, ObsRecord::TagCode);
    m_tagCode.resize(static_cast<int>(tag.size()));
    std::copy(tag.begin(), tag.end(), m_tagCode.begin());
    m_releaseSiteText = QByteArray(record.field(ObsRecord::ReleaseSite).data(),
                                   int(record.field(ObsRecord::ReleaseSite).size()));
    m_releaseTimeText = QByteArray(record.field(ObsRecord::ReleaseTime).data(),
                                   int(record.field(ObsRecord::ReleaseTime).size()));
    m_tagLine = line;
    m_tagRows.clear();
    const std::string_view siteName = record.field(ObsRecord::ReleaseSite);
    if (siteName.empty())
        return failOnField(QStringLiteral("No release site specified"), line, record,
                           ObsRecord::ReleaseSite);
    m_releaseSite = releaseSite(siteName);
    if (!m_releaseSite)
        return failOnField(QStringLiteral("Unrecognized release site"), line, record,
                           ObsRecord::ReleaseSite);
    const int siteId = writer.siteId(*m_releaseSite);
    const std::string_view releaseTime = record.field(ObsRecord::ReleaseTime);
    if (siteId != -1 && !m_lookups->time.read(releaseTime))
        return failOnField(QStringLiteral("Invalid release time"), line, record,
                           ObsRecord::ReleaseTime);
    if (siteId != -1 && !isPlausibleYear(m_lookups->time.year()))
        return failOnField(QStringLiteral("Implausible release year; expected %1 to %2")
                               .arg(firstYear)
                               .arg(lastYear),
                           line, record, ObsRecord::ReleaseTime);
    m_releaseDay = m_lookups->time.julianDay();
    const int yearId = siteId == -1 ? -1 : writer.yearId(m_lookups->time.year());
    const int releaseId = yearId == -1 ? -1 : writer.releaseId(siteId, yearId);
    if (releaseId == -1)
        return fail(QStringLiteral("Unable to store the data (") + writer.lastError() +
                        QLatin1Char(')'),
                    line);
    switch (writer.insertTag(tag, releaseId, releaseTime)) {
    case ObsStudyWriter::TagStored:
        return RowDone;
    case ObsStudyWriter::TagDuplicate:
        return failOnField(QStringLiteral("Duplicate tag"), line, record, ObsRecord::TagCode);
    case ObsStudyWriter::TagFailed:
        break;
    }
    return fail(
        QStringLiteral("Unable to store the data (") + writer.lastError() + QLatin1Char(')'), line);
}

ObsDataLoader::RowResult ObsDataLoader::readDetection(const ObsRecord& record, int line,
                                                      ObsStudyWriter& writer)
{
    const std::string_view obsTime = record.field(ObsRecord::ObsTime);
    if (!m_lookups->time.read(obsTime))
        return failOnField(QStringLiteral("Invalid observation time"), line, record,
                           ObsRecord::ObsTime);
    if (!isPlausibleYear(m_lookups->time.year()))
        return failOnField(QStringLiteral("Implausible event year; expected %1 to %2")
                               .arg(firstYear)
                               .arg(lastYear),
                           line, record, ObsRecord::ObsTime);
    if (m_lookups->time.julianDay() < m_releaseDay)
        return failOnField(QStringLiteral("Detection before the fish's release (%1); expected an "
                                          "event date after the release date")
                               .arg(QString::fromUtf8(m_releaseTimeText)),
                           line, record, ObsRecord::ObsTime);
    const QString* code = nullptr;
    const SiteRecord* site = detectionSite(record.field(ObsRecord::ObsSite), &code);
    if (!site)
        return failOnField(QStringLiteral("Unrecognized observation site"), line, record,
                           ObsRecord::ObsSite);
    if (!isDownstream(*site, *m_releaseSite)) {
        ++m_summary.droppedDetections;
        return RowDone;
    }
    const int siteId = writer.siteId(*site);
    // A year of this load runs from 1 January 00:00:00 to 31 December 23:59:59, so the
    // detection's migration year is the year it names.
    const int yearId = siteId == -1 ? -1 : writer.yearId(m_lookups->time.year());
    const int category = m_config->classify(*code, coilText(record.field(ObsRecord::Coil)),
                                            m_lookups->time.julianDay());
    if (yearId == -1 || writer.insertDetection(viewOf(m_tagCode), siteId, yearId, obsTime,
                                               SitesConfig::dispositionOf(category)) != 0)
        return fail(QStringLiteral("Unable to store the data (") + writer.lastError() +
                        QLatin1Char(')'),
                    line);
    return RowDone;
}

const SiteRecord* ObsDataLoader::releaseSite(std::string_view name)
{
    return m_lookups->releaseSites
        .get(name, [this](const QString& text) { return m_config->findReleaseSite(text); })
        .value;
}

const SiteRecord* ObsDataLoader::detectionSite(std::string_view code, const QString** text)
{
    const auto& entry = m_lookups->detectionSites.get(
        code, [this](const QString& key) { return m_config->findDetectionSite(key); });
    *text = &entry.text;
    return entry.value;
}

const QString& ObsDataLoader::coilText(std::string_view coil)
{
    // A file with an unexpected variety of antenna texts is read without remembering them all.
    constexpr std::size_t manyCoils = 256;
    if (m_lookups->coils.size() >= manyCoils)
        m_lookups->coils.clear();
    return m_lookups->coils.get(coil, [](const QString&) { return true; }).text;
}

bool ObsDataLoader::isDownstream(const SiteRecord& detection, const SiteRecord& release)
{
    const QPair<const SiteRecord*, const SiteRecord*> key(&detection, &release);
    const auto found = m_lookups->downstream.constFind(key);
    if (found != m_lookups->downstream.constEnd())
        return *found;
    const bool downstream = SitesConfig::isDownstream(detection, release);
    m_lookups->downstream.insert(key, downstream);
    return downstream;
}

ObsDataLoader::RowResult ObsDataLoader::fail(const QString& message, int line, lum::JobError code)
{
    m_failed = true;
    lum::ThreadRunnable::fail(
        code, line >= 1 ? message + QStringLiteral(" at line ") + QString::number(line) : message);
    return RowFailed;
}

ObsDataLoader::RowResult ObsDataLoader::failOnField(const QString& message, int line,
                                                    const ObsRecord& record, int field)
{
    const auto number = static_cast<ObsRecord::Field>(field);
    const QString value = record.fieldText(number);
    const QString column = quoted(ObsRecord::fieldName(number));
    m_failed = true;
    lum::ThreadRunnable::fail(lum::JobError::Input,
                              message + QStringLiteral(" at line ") + QString::number(line) +
                                  QStringLiteral(" of ") + quoted(m_fileName) +
                                  QStringLiteral(": column ") + column +
                                  (value.isEmpty() ? QStringLiteral(" is empty")
                                                   : QStringLiteral(" holds ") + quoted(value)) +
                                  (record.field(number).substr(0, 3) == "\xEF\xBB\xBF"
                                       ? QStringLiteral(" after a byte-order mark (U+FEFF)")
                                       : QString()) +
                                  (value.startsWith(QLatin1Char('"'))
                                       ? QStringLiteral(" (quoted fields are not supported: "
                                                        "export the file without quotes)")
                                       : QString()));
    return RowFailed;
}

} // namespace rivulet
