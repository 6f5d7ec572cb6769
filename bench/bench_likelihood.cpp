// Evaluations per second of the likelihood of the largest model of a data set.
//
//   bench_likelihood [counts-file] [benchmark options]
//
// The counts file is a next-detections file ("Save Next Detections"); it may also be given
// by the environment variable RIVULET_BENCH_COUNTS. Without one, a generated data set of
// twelve releases (four release sites x three years) over nine sites is used.
#include "bench/BenchStudy.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using namespace rivulet;

QString generatedCounts()
{
    const int S = 9;
    const int Y = 3;
    std::vector<int> relSites;
    std::vector<int> relYears;
    for (int site = 0; site < 4; ++site) {
        for (int year = 0; year < Y; ++year) {
            relSites.push_back(site);
            relYears.push_back(year);
        }
    }
    std::mt19937 engine(20240501u);
    std::uniform_int_distribution<int> count(0, 300);
    QStringList body;
    QStringList fish;
    for (std::size_t r = 0; r < relSites.size(); ++r) {
        const int notSeen = 2000 + count(engine);
        int total = notSeen;
        body << QString::number(notSeen);
        for (int s = relSites[r] + 1; s < S; ++s) {
            for (int y = relYears[r]; y < Y; ++y) {
                const int n = y == relYears[r] ? count(engine) : count(engine) / 20;
                total += n;
                body << QString::number(n);
            }
        }
        for (int a = relSites[r] + 1; a <= S - 2; ++a) {
            for (int b = relYears[r]; b < Y; ++b) {
                body << QString::number(count(engine));
                for (int s = a + 1; s < S; ++s) {
                    for (int y = b; y < Y; ++y) {
                        body << QString::number(y == b ? count(engine) : count(engine) / 20);
                    }
                }
            }
        }
        fish << QString::number(total);
    }
    QStringList sites;
    QStringList years;
    for (std::size_t r = 0; r < relSites.size(); ++r) {
        sites << QString::number(relSites[r]);
        years << QString::number(relYears[r]);
    }
    return QStringLiteral("%1 %2 %3\n").arg(relSites.size()).arg(S).arg(Y) +
           sites.join(QLatin1Char(' ')) + QLatin1Char('\n') + years.join(QLatin1Char(' ')) +
           QLatin1Char('\n') + fish.join(QLatin1Char(' ')) + QStringLiteral("\n\n") +
           body.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// The data set, its catalogue and the likelihood of the catalogue's largest model.
struct LikelihoodBench
{
    std::unique_ptr<Study> study;
    ParameterStructure structure;
    std::unique_ptr<RivuletLikelihood> likelihood;
    std::vector<double> start;
    // A second point: the likelihood keeps the tables of the point it evaluated last, so every
    // measured call alternates between the two to do the whole work.
    std::vector<double> other;
    QString modelName;

    const std::vector<double>& point(std::int64_t call) const { return call % 2 ? other : start; }

    void load(QTextStream& in)
    {
        study = std::make_unique<Study>(Study::CountsFile, RivuletDb::instance());
        if (const lum::Expected<void> read = study->readCountsFile(in); !read)
            throw std::runtime_error(read.error().text().toStdString());
        lum::ThreadRunner runner;
        if (!bench::runHere(*StudyActions(*study, runner).update()))
            throw std::runtime_error("the update failed");
        const ModelCatalogue& catalogue = study->catalogue();
        if (catalogue.definitionItems().size() < 2) {
            throw std::runtime_error("the data set has no release to model");
        }
        // The first model of every data class equates nothing: it has the most parameters.
        const ModelDefinitionItem& largest = *catalogue.definitionItems()[1];
        modelName = largest.name();
        structure = ParameterStructure(study->releases(), study->sites(), study->years());
        catalogue.applyModel(largest.captureCode(), largest.survivalCode(), structure);
        likelihood = std::make_unique<RivuletLikelihood>(
            structure, study->nextDetections(), study->releases(), study->sites(), study->years());
        start.assign(static_cast<std::size_t>(structure.numFree()),
                     1.0 / (study->years().count() + 1));
        other = start;
        for (double& x : other)
            x *= 0.99;
    }
};

LikelihoodBench& study()
{
    static LikelihoodBench instance;
    return instance;
}

void setCounters(benchmark::State& state)
{
    const LikelihoodBench& s = study();
    state.counters["releases"] = s.study->releases().count();
    state.counters["sites"] = s.study->sites().count();
    state.counters["years"] = s.study->years().count();
    state.counters["parameters"] = s.structure.numFree();
    state.counters["cells"] = static_cast<double>(s.likelihood->cells().size());
}

void fullValue(benchmark::State& state)
{
    LikelihoodBench& s = study();
    std::int64_t call = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize((*s.likelihood)(s.point(call++)));
    }
    state.SetItemsProcessed(state.iterations());
    setCounters(state);
}

// What a finite difference in one parameter costs: the terms of that parameter only.
void oneParameterTerms(benchmark::State& state)
{
    LikelihoodBench& s = study();
    const std::vector<int>& terms = s.likelihood->termsOfParameter(0);
    std::int64_t call = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.likelihood->termsValue(s.point(call++), terms));
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["terms"] = static_cast<double>(terms.size());
}

void gradient(benchmark::State& state)
{
    LikelihoodBench& s = study();
    std::vector<double> g(s.start.size());
    std::int64_t call = 0;
    for (auto _ : state) {
        s.likelihood->gradient(s.point(call++), g);
        benchmark::DoNotOptimize(g.data());
    }
    state.SetItemsProcessed(state.iterations());
    setCounters(state);
}

// Takes the counts file from the first argument that is not a benchmark option, else from
// the environment; removes it from the arguments.
QString countsPath(int& argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) != 0) {
            const QString path = QString::fromLocal8Bit(argv[i]);
            for (int j = i; j + 1 < argc; ++j) {
                argv[j] = argv[j + 1];
            }
            --argc;
            return path;
        }
    }
    return QString::fromLocal8Bit(qgetenv("RIVULET_BENCH_COUNTS"));
}

} // namespace

int main(int argc, char** argv)
{
    const QString path = countsPath(argc, argv);
    try {
        if (path.isEmpty()) {
            QString text = generatedCounts();
            QTextStream in(&text);
            study().load(in);
        } else {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
                std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
                return 1;
            }
            QTextStream in(&file);
            study().load(in);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot load the counts: %s\n", e.what());
        return 1;
    }
    const LikelihoodBench& s = study();
    std::printf("%s: model %s, %d releases, %d sites, %d years, %d free parameters\n",
                path.isEmpty() ? "generated data" : qPrintable(path), qPrintable(s.modelName),
                s.study->releases().count(), s.study->sites().count(), s.study->years().count(),
                s.structure.numFree());

    benchmark::RegisterBenchmark("likelihood/value", fullValue);
    benchmark::RegisterBenchmark("likelihood/terms_of_one_parameter", oneParameterTerms);
    benchmark::RegisterBenchmark("likelihood/gradient", gradient);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
