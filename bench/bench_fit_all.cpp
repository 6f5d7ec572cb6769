// Wall time of "Fit All Models" on a data set with the default optimizer and ending
// criterion, model by model, and whether the whole run stays under a limit.
//
//   bench_fit_all [counts-file | --large RELEASE-SITES] [--limit SECONDS] [--optimizer TEXT]
//                 [--model NAME]... [--differences] [--verbose]
//
// --model fits the named models instead of the fit list; --differences has the optimizers
// difference the likelihood instead of taking its exact gradient. The counts file is a
// next-detections file; without one, data/sample/counts.txt of the source tree. Exit status 0 when
// every model of the fit list was recorded within the limit (60 s by default), 1 otherwise.
// --optimizer fits every block with the optimizer named, large ones included.
//
// The two large studies, whose models of one block of a thousand parameters or more are
// fitted by Newton's method, and whose estimates at a bound get profile intervals: --large
// simulates the simulator's "large" study with seed 7 and that many release sites (five
// releases each) into a temporary folder first, as
//
//   rivulet-sim --preset large --seed 7 --counts DIR                      (--large 20)
//   rivulet-sim --preset large --release-sites 40 --seed 7 --counts DIR   (--large 40)
//
//   bench_fit_all --large 20 --limit 8
//   bench_fit_all --large 40 --limit 40
//   bench_fit_all DIR/counts.txt --limit 600 --optimizer fletch   (Fletch throughout, as before)
//
// The peak memory of the process is printed with the time.
#include "bench/BenchStudy.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelEstimator.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include <sys/resource.h>

namespace {

using namespace rivulet;

QString defaultCountsPath()
{
    return QFileInfo(QStringLiteral(__FILE__))
        .dir()
        .filePath(QStringLiteral("../data/sample/counts.txt"));
}

// Prints the job's status lines with the time since the start.
class TimedEstimator : public ModelEstimator
{
public:
    using ModelEstimator::ModelEstimator;

    bool verbose = false;
    QElapsedTimer clock;

    void status(const QString& text) override
    {
        if (verbose || text.startsWith(QLatin1Char('\n'))) {
            // The processor time too: on a shared machine the wall time follows the load.
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            const double cpu =
                static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            std::printf("%8.2f s %8.2f s CPU  %s\n", clock.elapsed() / 1000.0, cpu,
                        qPrintable(text.trimmed()));
            std::fflush(stdout);
        }
    }
    void warning(const QString& text) override { std::printf("warning: %s\n", qPrintable(text)); }
};

} // namespace

int main(int argc, char** argv)
{
    QString path = defaultCountsPath();
    QString optimizerText = QStringLiteral("0");
    double limit = 60.0;
    bool verbose = false;
    bool differences = false;
    bool optimizerNamed = false;
    QStringList modelNames;
    int largeSites = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--limit") == 0 && i + 1 < argc) {
            limit = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--optimizer") == 0 && i + 1 < argc) {
            optimizerText = QString::fromLocal8Bit(argv[++i]);
            optimizerNamed = true;
        } else if (std::strcmp(argv[i], "--model") == 0 && i + 1 < argc) {
            modelNames << QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--large") == 0 && i + 1 < argc) {
            largeSites = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--differences") == 0) {
            differences = true;
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else {
            path = QString::fromLocal8Bit(argv[i]);
        }
    }

    QString error;
    const QTemporaryDir scratch;
    if (largeSites > 0) {
        sim::StudyDesign design = *sim::StudyDesign::preset(QStringLiteral("large"));
        design.seed = 7;
        design.releaseSites = largeSites;
        sim::StudySimulator simulator(design);
        error = design.validate();
        if (error.isEmpty() && !scratch.isValid())
            error = QStringLiteral("no temporary folder");
        if (error.isEmpty()) {
            if (const auto written = simulator.run(scratch.path(), true); !written)
                error = written.error().text();
        }
        if (!error.isEmpty()) {
            std::fprintf(stderr, "cannot simulate the study: %s\n", qPrintable(error));
            return 1;
        }
        path = scratch.filePath(QString::fromLatin1(sim::StudySimulator::CountsFile));
    }
    const std::unique_ptr<Study> study = bench::countsFileStudy(path, &error, false);
    if (!study) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const ReleasesControllerI& releases = study->releases();
    const SitesControllerI& sites = study->sites();
    const YearsControllerI& years = study->years();
    const NextDetectionsI& counts = study->nextDetections();

    QElapsedTimer total;
    total.start();
    lum::ThreadRunner runner;
    if (!bench::runHere(*StudyActions(*study, runner).update())) {
        std::fprintf(stderr, "the update failed\n");
        return 1;
    }
    const ModelCatalogue& catalogue = study->catalogue();
    const ParameterStructure structure(releases, sites, years);
    EstimationResults& results = study->results();
    FitOptions options;
    options.optimizer = optimizerText;
    if (optimizerNamed)
        options.newtonFrom = 0;
    options.gradient =
        differences ? FitOptions::Gradient::FiniteDifferences : FitOptions::Gradient::Exact;
    TimedEstimator job(releases, sites, years, catalogue, results, counts, options);
    job.verbose = verbose;
    job.setStructure(structure);
    // Several codes can share a name: the fit list's model of that name first.
    std::vector<EquatingScheme> candidates = catalogue.fitList();
    for (int c = 1; c <= 4; ++c) {
        for (int s = 1; s <= 4; ++s)
            candidates.push_back(EquatingScheme{c, s});
    }
    std::vector<EquatingScheme> schemes;
    for (const QString& name : modelNames) {
        const auto named =
            std::find_if(candidates.begin(), candidates.end(), [&](const EquatingScheme& scheme) {
                return ModelCatalogue::modelName(catalogue.dataClass(), scheme) == name;
            });
        if (named == candidates.end()) {
            std::fprintf(stderr, "unknown model name %s\n", qPrintable(name));
            return 1;
        }
        schemes.push_back(*named);
    }
    job.setSchemes(schemes);
    const std::size_t modelCount = schemes.empty() ? catalogue.fitList().size() : schemes.size();
    std::printf("%s: %d releases, %d sites, %d years; %zu models to fit with %s, %s\n",
                qPrintable(path), releases.count(), sites.count(), years.count(), modelCount,
                qPrintable(options.optimizerDescription()),
                differences ? "finite differences" : "exact gradient");
    job.clock.start();
    job.run();
    const double seconds = total.elapsed() / 1000.0;

    std::printf("\n%-8s %6s %16s %14s %4s\n", "model", "k", "ln L", "AIC", "cov");
    for (int i = 0; i < results.count(); ++i) {
        const ModelResult& r = results.result(i);
        std::printf("%-8s %6d %16.4f %14.4f %4s\n",
                    qPrintable(ModelCatalogue::modelName(catalogue.dataClass(), r.scheme())),
                    r.numParameters(), r.logLikelihood, r.aic, r.hasCovariance() ? "yes" : "no");
    }
    const bool allFitted = results.count() == static_cast<int>(modelCount);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\npeak memory %.0f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::printf("\nFit All Models: %d of %zu models recorded in %.2f s (limit %.0f s): %s\n",
                results.count(), modelCount, seconds, limit,
                allFitted && seconds < limit ? "ok" : "FAILED");
    return allFitted && seconds < limit ? 0 : 1;
}
