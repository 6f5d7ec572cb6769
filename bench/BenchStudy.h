#pragma once
// Shared set-up of the benchmarks that work on the simulator's "large" study.

#include "lum/thread/ThreadRunner.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/sitesconfig/SitesConfigSettingsI.h"
#include "rivulet/study/Study.h"
#include "rivulet/study/StudyActions.h"
#include "tools/sim/StudyDesign.h"
#include "tools/sim/StudySimulator.h"

#include <QDate>
#include <QFile>
#include <QString>
#include <QTextStream>

#include <memory>

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
    const auto written = simulator.run(folder, withCounts);
    if (!written) {
        *error = written.error().text();
        return QString();
    }
    return folder;
}

// Runs a job of a study's actions on the calling thread: the timings then measure the work
// alone. True when it neither failed nor was canceled.
inline bool runHere(lum::ThreadRunnable& job)
{
    job.run();
    return !job.runner()->hasFailed() && !job.runner()->isCanceled();
}

// The study of a counts file, brought up to date (or not, with `update` false). Null, with
// `error` set, when the file cannot be read.
inline std::unique_ptr<rivulet::Study> countsFileStudy(const QString& path, QString* error,
                                                       bool update = true)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot open ") + path;
        return nullptr;
    }
    auto study = std::make_unique<rivulet::Study>(rivulet::Study::CountsFile,
                                                  rivulet::RivuletDb::instance());
    QTextStream in(&file);
    if (const lum::Expected<void> read = study->readCountsFile(in); !read) {
        *error = QStringLiteral("cannot load ") + path + QStringLiteral(": ") + read.error().text();
        return nullptr;
    }
    if (update) {
        lum::ThreadRunner runner;
        if (!runHere(*rivulet::StudyActions(*study, runner).update())) {
            *error = QStringLiteral("the update failed");
            return nullptr;
        }
    }
    return study;
}

// A database study on `rdb` whose sites configuration settings point into `work`, away from
// the user's shared folder.
inline std::unique_ptr<rivulet::Study> databaseStudy(rivulet::RivuletDb& rdb, const QString& work,
                                                     const QString& sitesConfigPath)
{
    auto study = std::make_unique<rivulet::Study>(rivulet::Study::Database, rdb);
    study->setSitesConfigSettings(std::make_unique<BenchSitesConfigSettings>(work));
    study->setSitesConfigPath(sitesConfigPath);
    return study;
}

} // namespace bench
