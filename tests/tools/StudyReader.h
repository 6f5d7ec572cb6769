#pragma once

// A reader of simulated study files written for the tests only, straight
// from the file formats the program accepts, so that it shares no code with
// the simulator it checks.

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <tuple>

namespace rivulet::test {

struct ConfigRule
{
    QChar letter;
    QString text;
    QStringList coils;
};

struct ConfigRange
{
    double begin = 0;
    double end = 0;
    QVector<ConfigRule> rules;
};

struct ConfigCode
{
    QString name;
    QVector<ConfigRange> ranges;
    QVector<ConfigRange> exceptions; // one rule each
};

struct ConfigSite
{
    QString name;
    QString longName;
    QString riverKm;
    QStringList codes;
    bool release = false;
};

class MiniSitesConfig
{
public:
    // False, with the line and the reason, for anything the format does not allow.
    bool read(const QString& path, QString* error);

    const ConfigSite* releaseSite(const QString& name) const;
    const ConfigSite* detectionSite(const QString& code) const;
    static bool isDownstream(const QString& detectionKm, const QString& releaseKm);
    // Route letter, or '7' for no rule.
    QChar classify(const QString& code, const QString& coil, double julian) const;
    static double julian(const QDateTime& time);

    QVector<ConfigSite> detectionSites;
    QVector<ConfigSite> releaseSites;
    QVector<ConfigCode> codes;

private:
    static bool readDate(const QString& text, bool isEnd, double* julian);
    static bool readRule(const QString& text, ConfigRule* rule);
};

// One row of the export that the program would store as a detection.
struct KeptDetection
{
    QString site; // identifier of the detection site
    QString code;
    int year = 0;
    int disposition = 0;
    QDateTime time;
};

struct TagRecord
{
    QString code;
    QString releaseSite;
    QDateTime releaseTime;
    QVector<KeptDetection> detections; // in file order
};

// The export read as the loader reads it, with the problems it would reject.
struct ExportContents
{
    QVector<TagRecord> tags;
    int rows = 0;
    int ignoredRows = 0; // field 19 "A"
    int droppedUpstream = 0;
    QStringList problems; // anything the loader would refuse, or the data should not hold
};

ExportContents readExport(const QString& path, const MiniSitesConfig& config, int lastYear);

// Counts derived from the stored rows as the program derives them, in the
// order and form of the counts file (a list of numbers).
QVector<qint64> deriveCounts(const ExportContents& data, const MiniSitesConfig& config);

// Numbers of a counts file, comments and white space dropped.
QVector<qint64> readNumbers(const QString& path);

// truth.csv as a map from (family, r, s, y1, y2) to the value.
using TruthKey = std::tuple<QString, int, int, int, int>;
QMap<TruthKey, double> readTruth(const QString& path, QStringList* problems);

QByteArray fileBytes(const QString& path);

} // namespace rivulet::test
