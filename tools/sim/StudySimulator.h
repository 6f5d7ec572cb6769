#pragma once

#include "lum/core/Expected.h"
#include "tools/sim/FishPath.h"
#include "tools/sim/NextDetectionCounts.h"
#include "tools/sim/RiverLayout.h"
#include "tools/sim/SimRelease.h"
#include "tools/sim/StudyDesign.h"
#include "tools/sim/StudySummary.h"
#include "tools/sim/TrueParameters.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QTextStream;

namespace rivulet::sim {

class AgeWriter;
class ObservationWriter;
class PositionMap;
class Random;

// Writes a whole simulated study into a folder: the sites configuration, the
// tag-history export, the age file, the true parameter values and, on
// request, the next-detection counts. Fish are simulated and written one by
// one, so memory does not grow with the size of the study.
class StudySimulator
{
public:
    static constexpr const char* ConfigFile = "sites_config.txt";
    static constexpr const char* ObservationsFile = "observations.csv";
    static constexpr const char* AgesFile = "ages.csv";
    static constexpr const char* TruthFile = "truth.csv";
    static constexpr const char* CountsFile = "counts.txt";

    explicit StudySimulator(const StudyDesign& design);

    const StudyDesign& design() const { return m_design; }
    const RiverLayout& layout() const { return m_layout; }
    const QVector<SimRelease>& releases() const { return m_releases; }
    const TrueParameters& truth() const { return m_truth; }
    QString description() const;

    // Writes the study's files into `directory` (made when missing): the sites configuration,
    // the export, the ages, the true values and, with `writeCounts`, the counts file.
    lum::Expected<StudySummary> run(const QString& directory, bool writeCounts);

private:
    // The state of one run, shared by the steps that write a fish.
    struct Run
    {
        Random& random;
        ObservationWriter& observations;
        AgeWriter& ages;
        NextDetectionCounts& counts;
        PositionMap& positions;
        StudySummary& summary;
    };

    static QVector<SimRelease> planReleases(const StudyDesign& design, const RiverLayout& layout);
    void writeFish(Run& run, int r, quint32 serial, double survivalShift = 0.0,
                   double detectionShift = 0.0);
    void writePassage(Run& run, const FishPath::Passage& passage);
    void writeHits(Run& run, qint64 releaseTime);
    void writeUpstreamVisit(Run& run, qint64 releaseTime);
    void writeTrawlCatch(Run& run, const FishPath::Passage& removal);
    void writeAdultReturn(Run& run, const FishPath::Passage& lastPassage);
    lum::Expected<void>
    writeText(const QString& path, const QString& what,
              const std::function<lum::Expected<void>(QTextStream&)>& body) const;

    StudyDesign m_design;
    RiverLayout m_layout;
    QVector<SimRelease> m_releases;
    TrueParameters m_truth;
    FishPath m_path;
    std::string m_tag;
    std::vector<NextDetectionCounts::Entry> m_history; // of the current fish
};

} // namespace rivulet::sim
