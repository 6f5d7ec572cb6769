// Runs the data updater on a simulated study of about a million detection rows and a hundred
// releases (the simulator's "large" study): controllers, detection histories, next-detection
// counts, release summary and model catalogue. The study is loaded into a database first;
// only the update is timed. The counts the update derives are compared with the counts the
// simulator wrote ("counts_match" is 1 when they are the same, byte for byte).
//
//   bench_updater                              simulates and loads into a temporary folder
//   RIVULET_BENCH_STUDY=folder bench_updater   reuses a study written by rivulet-sim --counts
//   RIVULET_BENCH_DB=file bench_updater        keeps the loaded database in that file and
//                                              reuses it when it already holds a study

#include "bench/BenchStudy.h"
#include "lum/db/TableData.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/DetectionSequenceController.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/model/ModelCatalogue.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

// The study and its database, made once for every benchmark of the run.
struct Study
{
    QTemporaryDir temporary;
    QString folder;
    QString database;
    rivulet::RivuletDb rdb;
    std::unique_ptr<rivulet::Study> study;
    lum::ThreadRunner runner;
    QString error;

    QString file(const char* name) const { return folder + QLatin1Char('/') + name; }
    bool prepare();
    bool load();
};

bool Study::prepare()
{
    folder = bench::largeStudyFolder(temporary.path(), true, &error);
    if (folder.isEmpty())
        return false;
    database = qEnvironmentVariable("RIVULET_BENCH_DB");
    if (database.isEmpty())
        database = temporary.path() + QStringLiteral("/bench.db");
    if (!rdb.open(database)) {
        error = QStringLiteral("cannot open ") + database;
        return false;
    }
    const QString work = temporary.path() + QStringLiteral("/shared");
    QDir().mkpath(work);
    study = bench::databaseStudy(rdb, work, file(rivulet::sim::StudySimulator::ConfigFile));
    const lum::TableData rows(*rdb.database(), QStringLiteral("select count(*) from observations"));
    if (rows.intValue(0, 0) > 0)
        return true;
    return load();
}

bool Study::load()
{
    QElapsedTimer timer;
    timer.start();
    const auto load = rivulet::StudyActions(*study, runner)
                          .loadObservations(file(rivulet::sim::StudySimulator::ObservationsFile));
    if (!bench::runHere(*load) || load->job().failed()) {
        error = QStringLiteral("the load failed");
        return false;
    }
    std::fprintf(stderr, "loaded %lld rows in %.1f s\n",
                 static_cast<long long>(load->job().summary().rows), timer.elapsed() / 1000.0);
    return true;
}

Study& study()
{
    static Study s;
    return s;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_DataUpdater(benchmark::State& state)
{
    Study& s = study();
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    rivulet::Study& study = *s.study;
    const rivulet::StudyActions actions(study, s.runner);
    for (auto _ : state) {
        if (!bench::runHere(*actions.update()))
            state.SkipWithError("the update failed");
    }

    QByteArray written;
    {
        QTextStream out(&written);
        study.nextDetections().write(out);
    }
    const QByteArray expected = readFile(s.file(rivulet::sim::StudySimulator::CountsFile));
    state.counters["releases"] = study.releases().count();
    state.counters["entries"] = study.sequences()->entryCount();
    state.counters["models"] = static_cast<double>(study.catalogue().fitList().size());
    state.counters["counts_match"] = !expected.isEmpty() && written == expected ? 1 : 0;
}

BENCHMARK(BM_DataUpdater)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The reading of the histories alone, the part that walks the observations table.
void BM_DetectionSequences(benchmark::State& state)
{
    Study& s = study();
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    rivulet::Study& study = *s.study;
    study.releases().refresh();
    study.sites().refresh();
    study.years().refresh();
    rivulet::DetectionSequenceController& sequences = *study.sequences();
    for (auto _ : state) {
        if (const lum::Expected<void> updated = sequences.update(); !updated)
            state.SkipWithError(qPrintable(updated.error().text()));
    }
    state.counters["entries"] = sequences.entryCount();
}

BENCHMARK(BM_DetectionSequences)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!study().prepare())
        std::fprintf(stderr, "no study: %s\n", qPrintable(study().error));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
