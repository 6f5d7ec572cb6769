#include "rivulet/input/ObsExportReader.h"

#include "rivulet/input/DataFileReader.h"
#include "rivulet/input/ObsDateTime.h"
#include "rivulet/input/ObsRecord.h"
#include "rivulet/input/ObsRecordSink.h"
#include "rivulet/sitesconfig/SitesConfig.h"

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

std::string_view viewOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

// Not in the anonymous namespace: ObsExportReader::Lookups, a class with linkage, holds these.
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

struct ObsExportReader::Lookups
{
    ObsDateTime time;
    obsfields::Remembered<const SiteRecord*> releaseSites;
    obsfields::Remembered<const SiteRecord*> detectionSites;
    obsfields::Remembered<bool> coils;
    QHash<QPair<const SiteRecord*, const SiteRecord*>, bool> downstream;
};

ObsExportReader::ObsExportReader(QString fileName, SitesConfig& config)
    : m_fileName(std::move(fileName)), m_config(config)
{
}

ObsExportReader::~ObsExportReader() = default;

ObsExportReader::Outcome ObsExportReader::read(DataFileReader& file, ObsRecordSink& sink,
                                               const Progress& progress)
{
    m_failure = lum::Error();
    m_counts = ObsLoadSummary();
    m_tagCode.clear();
    m_releaseSite = nullptr;
    m_tagRows.clear();
    m_lookups = std::make_unique<Lookups>();
    QByteArray line;
    ObsRecord record;
    while (file.readLine(line)) {
        const int number = file.lineNumber();
        if (progress && !progress(number))
            return Canceled;
        if (ObsRecord::isSkipped(line))
            continue;
        record.split(line);
        m_line = &line;
        if (m_counts.rows++ == 0 && looksLikeTitles(record)) {
            fail(QStringLiteral("Column titles instead of data at line ") +
                 QString::number(number) +
                 QStringLiteral("; comment the title line out with \"#\""));
            return Failed;
        }
        if (readRow(record, number, sink) == RowFailed)
            return Failed;
    }
    return Read;
}

bool ObsExportReader::looksLikeTitles(const ObsRecord& record) const
{
    // A data row has date-times where a title row has words; a row (not filtered out) whose
    // release time and detection time are both words and whose release site is unknown is
    // taken for titles.
    ObsDateTime time;
    const std::string_view released = record.field(ObsRecord::ReleaseTime);
    const std::string_view observed = record.field(ObsRecord::ObsTime);
    return record.field(ObsRecord::RowFilter) != "A" && !released.empty() && !time.read(released) &&
           !observed.empty() && !time.read(observed) &&
           !m_config.findReleaseSite(record.fieldText(ObsRecord::ReleaseSite));
}

ObsExportReader::RowResult ObsExportReader::readRow(const ObsRecord& record, int line,
                                                    ObsRecordSink& sink)
{
    const std::string_view tag = record.field(ObsRecord::TagCode);
    if (tag.empty())
        return failOnField(QStringLiteral("Missing tagId"), line, record, ObsRecord::TagCode);
    if (record.field(ObsRecord::RowFilter) == "A") {
        ++m_counts.ignoredRows;
        return RowDone;
    }
    // All rows of one tag follow one another; its release is read from the first, and a later
    // row naming another release contradicts it.
    if (tag != viewOf(m_tagCode)) {
        if (startTag(record, line, sink) == RowFailed)
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
    return readDetection(record, line, sink);
}

ObsExportReader::RowResult ObsExportReader::startTag(const ObsRecord& record, int line,
                                                     ObsRecordSink& sink)
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
    const std::string_view releaseTime = record.field(ObsRecord::ReleaseTime);
    if (!m_lookups->time.read(releaseTime))
        return failOnField(QStringLiteral("Invalid release time"), line, record,
                           ObsRecord::ReleaseTime);
    if (!isPlausibleYear(m_lookups->time.year()))
        return failOnField(QStringLiteral("Implausible release year; expected %1 to %2")
                               .arg(firstYear)
                               .arg(lastYear),
                           line, record, ObsRecord::ReleaseTime);
    m_releaseDay = m_lookups->time.julianDay();
    const lum::Expected<ObsRecordSink::TagResult> added =
        sink.addTag(tag, *m_releaseSite, m_lookups->time.year(), releaseTime);
    if (!added)
        return fail(QStringLiteral("Unable to store the data (") + added.error().text() +
                        QLatin1Char(')'),
                    line, lum::JobError::Database);
    if (*added == ObsRecordSink::TagDuplicate)
        return failOnField(QStringLiteral("Duplicate tag"), line, record, ObsRecord::TagCode);
    return RowDone;
}

ObsExportReader::RowResult ObsExportReader::readDetection(const ObsRecord& record, int line,
                                                          ObsRecordSink& sink)
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
        ++m_counts.droppedDetections;
        return RowDone;
    }
    const int category = m_config.classify(*code, coilText(record.field(ObsRecord::Coil)),
                                           m_lookups->time.julianDay());
    // A year of this load runs from 1 January 00:00:00 to 31 December 23:59:59, so the
    // detection's migration year is the year it names.
    if (const lum::Expected<void> added =
            sink.addDetection(viewOf(m_tagCode), *site, m_lookups->time.year(), obsTime,
                              SitesConfig::dispositionOf(category));
        !added)
        return fail(QStringLiteral("Unable to store the data (") + added.error().text() +
                        QLatin1Char(')'),
                    line, lum::JobError::Database);
    return RowDone;
}

const SiteRecord* ObsExportReader::releaseSite(std::string_view name)
{
    return m_lookups->releaseSites
        .get(name, [this](const QString& text) { return m_config.findReleaseSite(text); })
        .value;
}

const SiteRecord* ObsExportReader::detectionSite(std::string_view code, const QString** text)
{
    const auto& entry = m_lookups->detectionSites.get(
        code, [this](const QString& key) { return m_config.findDetectionSite(key); });
    *text = &entry.text;
    return entry.value;
}

const QString& ObsExportReader::coilText(std::string_view coil)
{
    // A file with an unexpected variety of antenna texts is read without remembering them all.
    constexpr std::size_t manyCoils = 256;
    if (m_lookups->coils.size() >= manyCoils)
        m_lookups->coils.clear();
    return m_lookups->coils.get(coil, [](const QString&) { return true; }).text;
}

bool ObsExportReader::isDownstream(const SiteRecord& detection, const SiteRecord& release)
{
    const QPair<const SiteRecord*, const SiteRecord*> key(&detection, &release);
    const auto found = m_lookups->downstream.constFind(key);
    if (found != m_lookups->downstream.constEnd())
        return *found;
    const bool downstream = SitesConfig::isDownstream(detection, release);
    m_lookups->downstream.insert(key, downstream);
    return downstream;
}

ObsExportReader::RowResult ObsExportReader::fail(const QString& message, int line,
                                                 lum::JobError code)
{
    m_failure = lum::Error(
        code, line >= 1 ? message + QStringLiteral(" at line ") + QString::number(line) : message,
        QString(), line >= 1 ? QStringLiteral("line ") + QString::number(line) : QString());
    return RowFailed;
}

ObsExportReader::RowResult ObsExportReader::failOnField(const QString& message, int line,
                                                        const ObsRecord& record, int field)
{
    const auto number = static_cast<ObsRecord::Field>(field);
    const QString value = record.fieldText(number);
    // A runaway field (a missing line break, binary data) would fill the screen.
    constexpr int shownCharacters = 40;
    const QString shown = value.size() <= 2 * shownCharacters
                              ? quoted(value)
                              : quoted(value.left(shownCharacters) + QChar(0x2026)) +
                                    QStringLiteral(" (%1 characters)").arg(value.size());
    const QString column = quoted(ObsRecord::fieldName(number));
    m_failure = lum::Error(
        lum::JobError::Input,
        message + QStringLiteral(" at line ") + QString::number(line) + QStringLiteral(" of ") +
            quoted(m_fileName) + QStringLiteral(": column ") + column +
            (value.isEmpty() ? QStringLiteral(" is empty") : QStringLiteral(" holds ") + shown) +
            (record.field(number).substr(0, 3) == "\xEF\xBB\xBF"
                 ? QStringLiteral(" after a byte-order mark (U+FEFF)")
                 : QString()) +
            (value.startsWith(QLatin1Char('"'))
                 ? QStringLiteral(" (quoted fields are not supported: "
                                  "export the file without quotes)")
                 : QString()),
        QString(),
        QStringLiteral("line ") + QString::number(line) + QStringLiteral(", column ") + column);
    return RowFailed;
}

} // namespace rivulet
