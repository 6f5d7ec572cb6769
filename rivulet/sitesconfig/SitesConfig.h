#pragma once

#include "rivulet/sitesconfig/SitesConfigRecords.h"

#include <QDate>
#include <QString>
#include <QStringList>

class QTextStream;

class QIODevice;

namespace rivulet {

// The river network as the observation loader needs it: detection and
// release sites with their codes and river-km positions, and, per detection
// site code, dated rules that tell from the antenna (coil) whether a fish
// went on down the river.
//
// A study owns one (rivulet::Study), read by its first observation load and
// read again when the study is pointed at another file.
class SitesConfig
{
public:
    SitesConfig() = default;
    SitesConfig(const SitesConfig&) = delete;
    SitesConfig& operator=(const SitesConfig&) = delete;

    // Forgets everything read; `configDate` becomes "??".
    void clear();
    // Replaces the configuration by the file's. A file that cannot be opened
    // leaves it empty (and returns false); unusable lines are skipped and
    // described in `messages`.
    bool load(const QString& path);
    // Replaces the configuration by what `device` holds, naming `path` in the messages.
    // False when the file is unusable (errors()).
    bool read(QIODevice& device, const QString& path);
    // True once a file with at least one detection site, and without errors, has been read.
    bool isLoaded() const { return !m_data.detectionSites.empty() && m_errors.isEmpty(); }
    // What makes the last file unusable, each naming the file and the line: lines the sites
    // cannot be read from, two detection sites under one short name (their detections would
    // be merged).
    const QStringList& errors() const { return m_errors; }
    // The file of the last `load`; empty after `clear`.
    const QString& sourcePath() const { return m_sourcePath; }

    const SiteRecord* findReleaseSite(const QString& name) const;
    const SiteRecord* findDetectionSite(const QString& code) const;
    const CodeRecord* findCode(const QString& code) const;

    // Route category (`RouteCategory`) of a detection at the site code on
    // the coil at `time` (a Julian day number).
    int classify(const QString& code, const QString& coil, double time) const;
    // The number of the Disposition: categories "R" and "B" mean the fish
    // went on in the river; everything else ends its history.
    static int dispositionOf(int category);

    // Whether a detection site lies downstream of a release site, from the
    // two river-km paths (for example 461 is downstream of 522.173).
    static bool isDownstream(const SiteRecord& detectionSite, const SiteRecord& releaseSite);
    static bool isDownstream(const QString& detectionKm, const QString& releaseKm);

    // The version date of a configuration file: the second word of the
    // first line that contains "configDate:", read as "yyyy.M.d"; an
    // invalid date when there is none.
    static QDate readConfigDate(QTextStream& stream);

    const std::vector<std::unique_ptr<SiteRecord>>& detectionSites() const
    {
        return m_data.detectionSites;
    }
    const std::vector<std::unique_ptr<SiteRecord>>& releaseSites() const
    {
        return m_data.releaseSites;
    }
    const std::vector<std::unique_ptr<CodeRecord>>& codes() const { return m_data.codes; }
    const QString& configDate() const { return m_data.configDate; }
    const QString& ptagisDate() const { return m_data.ptagisDate; }
    // Problems of the last `load`, each as message + " at line " + number.
    const QStringList& messages() const { return m_messages; }

private:
    SitesConfigData m_data;
    QStringList m_messages;
    QStringList m_errors;
    QString m_sourcePath;
};

} // namespace rivulet
