// Loads a simulated export of about a million detection rows (the simulator's "large" study)
// into a fresh database and reports the speed in rows per second.
//
//   bench_load [--benchmark_...]        the study is written to a temporary folder first
//   RIVULET_BENCH_STUDY=folder bench_load   reuses a study written by rivulet-sim

#include "bench/BenchStudy.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/input/ObsDataLoader.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

struct Study
{
    QTemporaryDir temporary;
    QString folder;
    qint64 rows = 0;
};

Study& study()
{
    static Study s;
    if (!s.folder.isEmpty())
        return s;
    QString error;
    s.folder = bench::largeStudyFolder(s.temporary.path(), false, &error);
    if (s.folder.isEmpty())
        std::fprintf(stderr, "simulation failed: %s\n", qPrintable(error));
    return s;
}

void BM_LoadObservations(benchmark::State& state)
{
    Study& s = study();
    const QString work = s.temporary.path() + QStringLiteral("/work");
    QDir().mkpath(work);
    rivulet::RivuletDb rdb;
    if (!rdb.open(work + QStringLiteral("/bench.db"))) {
        state.SkipWithError("cannot open the database");
        return;
    }
    const QString path =
        s.folder + QStringLiteral("/") + rivulet::sim::StudySimulator::ObservationsFile;
    const auto study = bench::databaseStudy(
        rdb, work, s.folder + QStringLiteral("/") + rivulet::sim::StudySimulator::ConfigFile);
    lum::ThreadRunner runner;
    const rivulet::StudyActions actions(*study, runner);

    rivulet::ObsLoadSummary summary;
    for (auto _ : state) {
        const auto load = actions.loadObservations(path);
        if (!bench::runHere(*load) || load->job().failed()) {
            state.SkipWithError("the load failed");
            return;
        }
        summary = load->job().summary();
    }
    state.counters["rows"] = summary.rows;
    state.counters["detections"] = summary.detections;
    state.counters["tags"] = summary.tags;
    state.counters["rows_per_s"] = benchmark::Counter(
        static_cast<double>(summary.rows) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_LoadObservations)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    study();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
