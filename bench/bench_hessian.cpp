// The work of the covariance matrix of the largest model of a data set: release-term
// evaluations of the numerical Hessian, which evaluates only the releases that the two
// parameters of an element enter, against the 1 + 2n + 2n(n-1) full evaluations (each of
// every release) of the plain method, and the wall time of both.
//
//   bench_hessian [counts-file] [--no-fit] [--no-plain]
//
// The counts file is a next-detections file; without one, data/sample/counts.txt of the
// source tree. The Hessian is taken at the estimates of the model (Fletch, ending criterion
// 0.0001), or at the start vector with --no-fit or when the fit fails. --no-plain leaves out
// the run of the plain method, which takes minutes on a large study.
#include "bench/BenchStudy.h"
#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/Estimator.h"
#include "lum/estimation/Func.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

using namespace rivulet;

// The likelihood seen as one function of all parameters: every difference evaluates every
// release, as the plain method does.
class PlainFunction : public lum::Func
{
public:
    explicit PlainFunction(RivuletLikelihood& likelihood) : m_likelihood(likelihood) {}
    double operator()(const std::vector<double>& x) override { return m_likelihood(x); }

private:
    RivuletLikelihood& m_likelihood;
};

struct HessianRun
{
    std::uint64_t evaluations = 0;
    double seconds = 0.0;
    bool ok = false;
};

HessianRun covariance(lum::Func& func, const std::vector<double>& x)
{
    const std::atomic<bool> cancelled{false};
    lum::DenseMatrix matrix(static_cast<int>(x.size()), static_cast<int>(x.size()));
    func.resetTermEvaluations();
    QElapsedTimer clock;
    clock.start();
    HessianRun run;
    run.ok = lum::CovarianceCalculator(cancelled, 1e-5).compute(func, x, matrix).valueOr(false);
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.evaluations = func.termEvaluations();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QString path = QFileInfo(QStringLiteral(__FILE__))
                       .dir()
                       .filePath(QStringLiteral("../data/sample/counts.txt"));
    bool fit = true;
    bool runPlain = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-fit") == 0)
            fit = false;
        else if (std::strcmp(argv[i], "--no-plain") == 0)
            runPlain = false;
        else
            path = QString::fromLocal8Bit(argv[i]);
    }
    QString error;
    const std::unique_ptr<Study> study = bench::countsFileStudy(path, &error, false);
    if (!study) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const ReleasesControllerI& releases = study->releases();
    const SitesControllerI& sites = study->sites();
    const YearsControllerI& years = study->years();
    const NextDetectionsI& counts = study->nextDetections();
    lum::ThreadRunner runner;
    if (!bench::runHere(*StudyActions(*study, runner).update())) {
        std::fprintf(stderr, "the update failed\n");
        return 1;
    }
    const ModelCatalogue& catalogue = study->catalogue();
    if (catalogue.definitionItems().size() < 2) {
        std::fprintf(stderr, "the data set has no release to model\n");
        return 1;
    }
    // The first model of every data class equates nothing: it has the most parameters.
    const ModelDefinitionItem& largest = *catalogue.definitionItems()[1];
    ParameterStructure structure(releases, sites, years);
    catalogue.applyModel(largest.captureCode(), largest.survivalCode(), structure);
    RivuletLikelihood likelihood(structure, counts, releases, sites, years);
    const int n = structure.numFree();
    const int terms = likelihood.termCount();
    std::vector<double> x(static_cast<std::size_t>(n), 1.0 / (years.count() + 1));

    const char* where = "the start vector";
    if (fit) {
        try {
            const std::atomic<bool> cancelled{false};
            const auto optimizer = lum::createOptimizer(QStringLiteral("0"));
            std::vector<double> estimates = x;
            lum::Estimator(*optimizer, 0.0001).estimate(likelihood, estimates, cancelled);
            if (likelihood(estimates) < RivuletLikelihood::BadValue) {
                x = estimates;
                where = "the estimates";
            }
        } catch (const NR3::NRError& e) {
            std::printf("fit failed (%s); ", e.message);
        }
    }
    std::printf("%s: model %s, %d releases, %d free parameters; Hessian at %s\n", qPrintable(path),
                qPrintable(largest.name()), terms, n, where);

    const HessianRun structured = covariance(likelihood, x);
    const double formula = 1.0 + 2.0 * n + 2.0 * n * (n - 1.0);
    std::printf("plain method:    %.0f full evaluations (1 + 2n + 2n(n-1)) = %.0f release-term "
                "evaluations",
                formula, formula * terms);
    HessianRun plain;
    if (runPlain) {
        PlainFunction plainFunction(likelihood);
        plain = covariance(plainFunction, x);
        std::printf("; measured %llu full evaluations, %.3f s",
                    static_cast<unsigned long long>(plain.evaluations), plain.seconds);
    }
    std::printf("\n");
    std::printf("by release term: %llu release-term evaluations (%.1f%% of the plain method, "
                "%.1f full-evaluation equivalents), %.3f s\n",
                static_cast<unsigned long long>(structured.evaluations),
                100.0 * structured.evaluations / (formula * terms),
                static_cast<double>(structured.evaluations) / terms, structured.seconds);
    std::printf("covariance %s\n", structured.ok ? "computed" : "not computed (singular Hessian)");
    return !runPlain || plain.evaluations == static_cast<std::uint64_t>(formula) ? 0 : 1;
}
