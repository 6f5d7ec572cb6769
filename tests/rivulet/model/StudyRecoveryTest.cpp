// Whole-program recovery: studies written by the simulator, loaded through the observation
// loader and the data update, with every model of their data class fitted. The studies have
// the shapes that real ones have and that break naive fitting: release sites in series
// (fish of the upper one pass the lower one, where nothing detects them), no hold-over
// between release and the first detection site while fish still hold over further down, and
// one release so thin that some of its paths see no fish. The estimates must be probabilities, each
// model must do at least as well as the truth wherever the truth is one of its points, and the
// unique model must recover the truth within its standard errors.
#include "tools/LoadedStudy.h"

#include "lum/estimation/DenseMatrix.h"
#include "lum/thread/ThreadRunner.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelDefinitionItem.h"
#include "rivulet/model/ModelEstimator.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/RivuletLikelihood.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <tuple>

namespace rivulet::test {
namespace {

struct Shape
{
    DataClass dataClass;
    int releaseSites;
    int releaseYears;
    int years;
    EquatingScheme unique;
};

const Shape SeveralSites{DataClass::SeveralSitesOneYear, 2, 1, 2, {2, 2}};
const Shape SeveralYears{DataClass::OneSiteSeveralYears, 1, 3, 3, {3, 3}};
const Shape SitesAndYears{DataClass::SeveralSitesSeveralYears, 2, 2, 2, {4, 4}};

// Whether the study has a sparse last release.
enum class Sparse
{
    // Its paths all hold fish: every model of the class is estimable.
    Tested,
    // In one release year its fish still hold over below the trap, and so few of them that
    // some paths out of a later year hold none: that release is not estimable by itself, so
    // the models that keep it apart are not fitted by "Fit All Models" and have no covariance.
    Untested,
    None
};

sim::StudyDesign design(const Shape& shape, quint64 seed, Sparse sparse)
{
    sim::StudyDesign design;
    design.seed = seed;
    design.releaseSites = shape.releaseSites;
    design.releaseYears = shape.releaseYears;
    design.years = shape.years;
    design.detectionSites = 4;
    design.fishPerRelease = 3000;
    design.firstReachHoldOver = 0.0;
    if (sparse != Sparse::None)
        design.sparseReleaseFish = 120;
    return design;
}

// A simulated study as the program holds it after a load, with all models of its data class
// fitted.
struct SimulatedFit
{
    LoadedStudy study;
    ReleaseSummary summary{study.releases, study.sites, study.years, study.counts};
    ModelCatalogue catalogue{study.releases, study.sites, study.years, summary};
    EstimationResults results{study.releases, study.sites, study.years};
    std::vector<EquatingScheme> models;
    QStringList warnings;
    // Simulator release of each analysis release.
    std::vector<int> simRelease;

    explicit SimulatedFit(const sim::StudyDesign& design) : study(design, "recovery") {}

    QString loadAndFit()
    {
        const QString error =
            study.load({[this] { summary.update(); }, [this] { catalogue.rebuild(); }});
        if (!error.isEmpty())
            return error;
        for (const auto& item : catalogue.definitionItems())
            if (!item->isHeading())
                models.push_back(item->scheme());
        lum::ThreadRunner runner;
        const auto keep = [this](const QString& text) { warnings << text; };
        QObject::connect(&runner, &lum::ThreadRunner::warning, keep);
        QObject::connect(&runner, &lum::ThreadRunner::errorStatus, keep);
        ModelEstimator job(study.releases, study.sites, study.years, catalogue, results,
                           study.counts, FitOptions{}, &runner);
        job.setSchemes(models);
        job.run();
        return {};
    }

    // The analysis positions are the simulator's when every site and year holds data. An
    // empty text when they are, and each analysis release has found its simulator release.
    std::string matchReleases()
    {
        if (study.sites.count() != study.simulator.layout().siteCount() ||
            study.years.count() != study.simulator.design().years)
            return "a site or a year of the study holds no data";
        const auto& releases = study.simulator.releases();
        const ParameterStructure any(study.releases, study.sites, study.years);
        for (int r = 0; r < any.releaseCount(); ++r) {
            int match = -1;
            for (int k = 0; k < releases.size(); ++k)
                if (releases.at(k).site == any.relSite(r) && releases.at(k).year == any.relYear(r))
                    match = k;
            if (match < 0)
                return "release " + std::to_string(r) + " is not one of the simulator's";
            simRelease.push_back(match);
        }
        return static_cast<int>(simRelease.size()) == releases.size() ? "" : "releases missing";
    }

    double truth(const ParameterEntry& e) const
    {
        const sim::TrueParameters& t = study.simulator.truth();
        const int k = simRelease.at(static_cast<std::size_t>(e.release));
        switch (e.family) {
        case ParameterFamily::Phi:
            return t.phi(k, e.site, e.year1, e.year2);
        case ParameterFamily::Lambda:
            return t.lambda(k, e.year1, e.year2);
        case ParameterFamily::Capture:
            return t.capture(k, e.site, e.year1);
        }
        return 0.0;
    }

    // The model's free parameters at their true values; none when equated parameters differ
    // in truth, so that the truth is not a point of the model.
    std::optional<std::vector<double>> truthVector(const ParameterStructure& structure) const
    {
        std::vector<double> x(static_cast<std::size_t>(structure.numFree()), -1.0);
        for (const ParameterEntry& e : structure.entries()) {
            const int i = structure.indexOfCell(e.cell);
            if (i < 0)
                continue;
            double& slot = x[static_cast<std::size_t>(i)];
            if (slot >= 0.0 && std::fabs(slot - truth(e)) > 1e-12)
                return std::nullopt;
            slot = truth(e);
        }
        return x;
    }
};

// Estimates are probabilities, and so is every movement set out of one point of one release:
// phi(r, s, y1, .) and lambda(r, y1, .).
void expectProbabilities(const SimulatedFit& fit, int i, const std::string& name)
{
    const std::vector<double>& x = fit.results.estimates(i);
    for (std::size_t j = 0; j < x.size(); ++j)
        EXPECT_TRUE(x[j] >= 0.0 && x[j] <= 1.0) << name << ": #" << j << " = " << x[j];

    const ParameterMap& map = fit.results.parameterMap(i);
    std::map<std::tuple<ParameterFamily, int, int, int>, double> sums;
    for (const ParameterEntry& e : fit.results.structure(i).entries()) {
        if (e.family == ParameterFamily::Phi)
            sums[{e.family, e.release, e.site, e.year1}] +=
                map.phi(e.release, e.site, e.year1, e.year2);
        else if (e.family == ParameterFamily::Lambda)
            sums[{e.family, e.release, 0, e.year1}] += map.lambda(e.release, e.year1, e.year2);
    }
    for (const auto& [point, sum] : sums)
        EXPECT_LE(sum, 1.0 + 1e-9)
            << name << ": the set of release " << std::get<1>(point) << ", site "
            << std::get<2>(point) << ", year " << std::get<3>(point);
}

void expectRecovery(const Shape& shape, quint64 seed, Sparse sparse)
{
    SCOPED_TRACE("seed " + std::to_string(seed));
    SimulatedFit fit(design(shape, seed, sparse));
    ASSERT_EQ(fit.loadAndFit(), QString());
    ASSERT_EQ(fit.matchReleases(), "");
    const DataClass dataClass = fit.catalogue.dataClass();
    ASSERT_EQ(dataClass, shape.dataClass);
    const auto names = [dataClass](const std::vector<EquatingScheme>& schemes) {
        QStringList list;
        for (const EquatingScheme& scheme : schemes)
            list << ModelCatalogue::modelName(dataClass, scheme);
        return list.join(' ').toStdString();
    };
    const bool allEstimable = sparse != Sparse::Untested;
    if (allEstimable) {
        EXPECT_EQ(names(fit.catalogue.fitList()), names(fit.models))
            << "every model of the class is estimable";
    } else {
        EXPECT_FALSE(fit.summary.eachReleaseEstimable());
        EXPECT_TRUE(fit.summary.pooledEstimable());
    }
    ASSERT_EQ(fit.results.count(), static_cast<int>(fit.models.size()))
        << fit.warnings.join('\n').toStdString();
    if (allEstimable) {
        EXPECT_TRUE(fit.warnings.isEmpty()) << fit.warnings.join('\n').toStdString();
    }

    int compared = 0;
    for (int i = 0; i < fit.results.count(); ++i) {
        const EquatingScheme scheme = fit.results.scheme(i);
        const std::string name = ModelCatalogue::modelName(dataClass, scheme).toStdString();
        expectProbabilities(fit, i, name);
        const ParameterStructure& structure = fit.results.structure(i);
        const std::optional<std::vector<double>> truth = fit.truthVector(structure);
        if (scheme == shape.unique) {
            ASSERT_TRUE(truth.has_value()) << "the unique model holds the truth";
        }
        if (!truth)
            continue;
        RivuletLikelihood likelihood(structure, fit.study.counts, fit.study.releases,
                                     fit.study.sites, fit.study.years);
        EXPECT_GE(fit.results.logLikelihood(i), -likelihood(*truth)) << name;
        ++compared;
        if (scheme != shape.unique || !allEstimable)
            continue;
        const lum::DenseMatrix* covariance = fit.results.covariance(i);
        ASSERT_NE(covariance, nullptr) << name << " has no covariance";
        const std::vector<double>& x = fit.results.estimates(i);
        int within = 0;
        for (std::size_t j = 0; j < x.size(); ++j) {
            const double se = std::sqrt((*covariance)(static_cast<int>(j), static_cast<int>(j)));
            within += std::fabs(x[j] - (*truth)[j]) <= 3.0 * se ? 1 : 0;
        }
        EXPECT_GE(within, 0.95 * static_cast<double>(x.size()))
            << name << ": " << within << " of " << x.size() << " within three standard errors";
    }
    EXPECT_GE(compared, 1);
}

TEST(StudyRecovery, SeveralReleaseSitesInSeriesInOneYear)
{
    for (const quint64 seed : {101u, 102u})
        expectRecovery(SeveralSites, seed, Sparse::None);
    // The sparse release of one release year holds over below the trap with too few fish.
    for (const quint64 seed : {101u, 102u, 103u})
        expectRecovery(SeveralSites, seed, Sparse::Untested);
}

TEST(StudyRecovery, OneReleaseSiteOverSeveralYears)
{
    for (const quint64 seed : {201u, 202u, 203u})
        expectRecovery(SeveralYears, seed, Sparse::Tested);
}

TEST(StudyRecovery, ReleaseSitesInSeriesOverSeveralYears)
{
    for (const quint64 seed : {301u, 302u})
        expectRecovery(SitesAndYears, seed, Sparse::Tested);
}

} // namespace
} // namespace rivulet::test
