#pragma once

#include "lum/core/Error.h"
#include "rivulet/input/ObsLoadSummary.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <string_view>

namespace rivulet {

class DataFileReader;
class ObsRecord;
class ObsRecordSink;
class SitesConfig;
struct SiteRecord;

// Reads the rows of a comma-separated export of PIT-tag detections (one row per detection,
// the tag's release fields repeated on each row) and hands each tag and each detection to a
// sink, or stops at the first row it refuses, with the file, line, column and value.
//
// Detections are kept only when their site lies downstream of the tag's release site; each
// gets its disposition from the sites configuration's route rules.
//
//     DataFileReader file(path);                   // or DataFileReader(bytes)
//     ObsExportReader reader(path, config);
//     if (reader.read(file, sink, [](int line) { return !canceled; }) == ObsExportReader::Failed)
//         report(reader.failure());
class ObsExportReader
{
public:
    enum Outcome
    {
        Read,
        Failed,
        Canceled
    };

    // Called with the number of each line read; false stops the read as canceled.
    using Progress = std::function<bool(int line)>;

    // `fileName` names the file in messages; the configuration is borrowed.
    ObsExportReader(QString fileName, SitesConfig& config);
    ~ObsExportReader();
    ObsExportReader(const ObsExportReader&) = delete;
    ObsExportReader& operator=(const ObsExportReader&) = delete;

    // Reads the opened file from its current line to its end.
    Outcome read(DataFileReader& file, ObsRecordSink& sink, const Progress& progress = {});

    const lum::Error& failure() const { return m_failure; }
    // Rows, ignored rows and dropped detections of the last read.
    const ObsLoadSummary& counts() const { return m_counts; }

private:
    enum RowResult
    {
        RowDone,
        RowFailed
    };

    RowResult readRow(const ObsRecord& record, int line, ObsRecordSink& sink);
    RowResult startTag(const ObsRecord& record, int line, ObsRecordSink& sink);
    RowResult readDetection(const ObsRecord& record, int line, ObsRecordSink& sink);
    bool looksLikeTitles(const ObsRecord& record) const;
    const SiteRecord* releaseSite(std::string_view name);
    // The detection site and its code as text.
    const SiteRecord* detectionSite(std::string_view code, const QString** text);
    const QString& coilText(std::string_view coil);
    bool isDownstream(const SiteRecord& detection, const SiteRecord& release);
    // The error of row `line` (none below 1).
    RowResult fail(const QString& message, int line = 0, lum::JobError code = lum::JobError::Input);
    // A row refused for the value of one field: the message names the file, the line, the
    // field's title and its value.
    RowResult failOnField(const QString& message, int line, const ObsRecord& record, int field);

    QString m_fileName;
    SitesConfig& m_config;
    lum::Error m_failure;
    ObsLoadSummary m_counts;
    // The run of rows of the tag being read.
    QByteArray m_tagCode;
    const SiteRecord* m_releaseSite = nullptr;
    // Its release as its first row gives it, and its rows so far (whole) with their lines.
    QByteArray m_releaseSiteText;
    QByteArray m_releaseTimeText;
    double m_releaseDay = 0.0;
    int m_tagLine = 0;
    QHash<QByteArray, int> m_tagRows;
    // The line being read.
    const QByteArray* m_line = nullptr;
    // Look-ups that repeat on nearly every row, kept for the read.
    struct Lookups;
    std::unique_ptr<Lookups> m_lookups;
};

} // namespace rivulet
