#pragma once
// Shared set-up of the benchmarks that work on the simulator's "large" study.

#include "rivulet/input/SitesConfigSettingsI.h"
#include "tools/sim/StudyDesign.h"
#include "tools/sim/StudySimulator.h"

#include <QDate>
#include <QString>

namespace bench {

// Keeps a benchmark's loads away from the user's settings and shared folders.
class BenchSitesConfigSettings : public rivulet::SitesConfigSettingsI
{
public:
    explicit BenchSitesConfigSettings(QString dir) : m_dir(std::move(dir)) {}
    QString sitesConfigDir() const override { return m_dir; }
    QString sitesConfigFileName() const override { return QStringLiteral("sites_config.txt"); }
    QDate lastUpdateCheck() const override { return QDate::currentDate(); }
    void setLastUpdateCheck(const QDate&) override {}

private:
    QString m_dir;
};

// The folder of the study to work on: RIVULET_BENCH_STUDY when it is set,
// otherwise a "large" study simulated under `scratch` (with its counts file
// when `withCounts`). Returns an empty text and sets `error` on failure.
inline QString largeStudyFolder(const QString& scratch, bool withCounts, QString* error)
{
    QString folder = qEnvironmentVariable("RIVULET_BENCH_STUDY");
    if (!folder.isEmpty())
        return folder;
    folder = scratch + QStringLiteral("/study");
    rivulet::sim::StudySimulator simulator(*rivulet::sim::StudyDesign::preset("large"));
    rivulet::sim::StudySummary summary;
    return simulator.run(folder, withCounts, &summary, error) ? folder : QString();
}

} // namespace bench
