#pragma once

// A study written by the simulator and read back from its counts file, as the program reads
// simulated data. Header only: the test binaries that use it link the simulator and the study
// libraries themselves.

#include "common/TestEnvironment.h"
#include "rivulet/filesource/MockReleasesController.h"
#include "rivulet/filesource/MockSitesController.h"
#include "rivulet/filesource/MockYearsController.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"
#include "rivulet/filesource/SimulatedDataLoader.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/summary/ReleaseSummary.h"
#include "tools/sim/StudySimulator.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace rivulet::test {

struct CountsStudy
{
    MockReleasesController releases;
    MockSitesController sites;
    MockYearsController years;
    NextDetectionsFromFile counts{releases, sites, years};
    ReleaseSummary summary{releases, sites, years, counts};
    ModelCatalogue catalogue{releases, sites, years, summary};

    // An empty text when the study was written and read.
    QString load(const sim::StudyDesign& design, const QString& hint)
    {
        const QString folder = TestEnvironment::freshDir(hint);
        sim::StudySimulator simulator(design);
        QString error;
        if (!simulator.run(folder, true, nullptr, &error))
            return error;
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

} // namespace rivulet::test
