#pragma once

// A study written by the simulator and read back from its counts file, as the program reads
// simulated data. Header only: the test binaries that use it link the simulator and the study
// libraries themselves.

#include "common/TestEnvironment.h"
#include "lum/estimation/DenseMatrix.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"
#include "rivulet/filesource/SimulatedDataLoader.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelFit.h"
#include "rivulet/model/ParameterStructure.h"
#include "rivulet/summary/ReleaseSummary.h"
#include "tools/sim/StudySimulator.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace rivulet::test {

struct CountsStudy
{
    CountsFileReleasesController releases;
    CountsFileSitesController sites;
    CountsFileYearsController years;
    NextDetectionsFromFile counts{releases, sites, years};
    ReleaseSummary summary{releases, sites, years, counts};
    ModelCatalogue catalogue{releases, sites, years, summary};

    // An empty text when the study was written and read.
    QString load(const sim::StudyDesign& design, const QString& hint)
    {
        const QString folder = TestEnvironment::freshDir(hint);
        sim::StudySimulator simulator(design);
        if (const auto written = simulator.run(folder, true); !written)
            return written.error().text();
        QFile file(QDir(folder).filePath(sim::StudySimulator::CountsFile));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return QStringLiteral("no counts file");
        QTextStream in(&file);
        SimulatedDataLoader(releases, sites, years, counts).load(in);
        summary.update();
        catalogue.rebuild();
        return {};
    }
};

// Two release sites of one year, fish holding over into a second year, four detection sites.
inline sim::StudyDesign twoReleaseDesign(int fishPerRelease)
{
    sim::StudyDesign design = *sim::StudyDesign::preset("sample");
    design.releaseSites = 2;
    design.releaseYears = 1;
    design.years = 2;
    design.detectionSites = 4;
    design.fishPerRelease = fishPerRelease;
    return design;
}

// A simulated study with the first model of its fit list (the most general) fitted.
struct FittedCountsStudy
{
    CountsStudy study;
    ParameterStructure structure;
    std::vector<double> estimates;

    FittedCountsStudy(const sim::StudyDesign& design, const QString& hint)
    {
        EXPECT_TRUE(study.load(design, hint).isEmpty());
        const EquatingScheme scheme = study.catalogue.fitList().front();
        structure = ParameterStructure(study.releases, study.sites, study.years);
        study.catalogue.applyModel(scheme.captureCode, scheme.survivalCode, structure);
        const std::atomic<bool> cancel{false};
        const ModelFit fit =
            fitModel(FitProblem{structure, study.counts, study.releases, study.sites, study.years},
                     FitOptions(), cancel);
        EXPECT_EQ(fit.summary.ending, FitEnding::Converged);
        estimates = fit.estimates;
    }
};

} // namespace rivulet::test
