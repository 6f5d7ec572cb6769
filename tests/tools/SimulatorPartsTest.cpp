// The simulator's building blocks: the time stamps and the design checks. Its antenna rules
// are checked through the loader, which must find the removals the simulator wrote.

#include "common/TestEnvironment.h"
#include "tools/sim/CivilTime.h"
#include "tools/sim/Random.h"
#include "tools/sim/StudyDesign.h"
#include "tools/sim/StudySimulator.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace rivulet::sim;

namespace {

TEST(SimulatorCivilTime, AgreesWithQtCalendar)
{
    Random random(1);
    for (int i = 0; i < 2000; ++i) {
        const qint64 t = CivilTime::fromDate(1991, 1, 1) +
                         static_cast<qint64>(random.uniform() * 100 * 365.25 * CivilTime::Day);
        const QDateTime qt = QDateTime::fromSecsSinceEpoch(t, Qt::UTC);
        std::string text;
        CivilTime::appendDateTime(text, t);
        ASSERT_EQ(QString::fromStdString(text), qt.toString("yyyy-MM-dd HH:mm:ss"));
        ASSERT_EQ(CivilTime::yearOf(t), qt.date().year());
        const QDate d = qt.date();
        const QTime c = qt.time();
        ASSERT_EQ(
            CivilTime::fromDateTime(d.year(), d.month(), d.day(), c.hour(), c.minute(), c.second()),
            t);
    }
    std::string slash;
    CivilTime::appendSlashDate(slash, CivilTime::fromDateTime(2008, 2, 29, 23, 59, 59));
    EXPECT_EQ(slash, "2/29/2008");
}

TEST(SimulatorDesign, PresetsAreValidAndDesignsOutsideTheLimitsAreRefused)
{
    for (const QString& name : StudyDesign::presetNames()) {
        const auto design = StudyDesign::preset(name);
        ASSERT_TRUE(design.has_value()) << name.toStdString();
        EXPECT_TRUE(design->validate().isEmpty()) << name.toStdString();
    }
    EXPECT_FALSE(StudyDesign::preset("huge").has_value());
    const std::function<void(StudyDesign&)> outside[] = {
        [](StudyDesign& d) { d.releaseYears = d.years + 1; },
        [](StudyDesign& d) { d.detectionSites = 1; },
        [](StudyDesign& d) { d.detection = 1.0; },
        [](StudyDesign& d) { d.holdOver = 0.6; },
        [](StudyDesign& d) { d.sparseReleaseFish = d.fishPerRelease + 1; },
    };
    for (const auto& change : outside) {
        StudyDesign design;
        change(design);
        EXPECT_FALSE(design.validate().isEmpty());
    }
}

TEST(SimulatorRun, ReportsAFolderThatCannotBeMade)
{
    const QString base = rivulet::test::TestEnvironment::freshDir("sim-blocked");
    QFile blocker(base + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    StudyDesign design;
    design.fishPerRelease = 5;
    StudySimulator simulator(design);
    QString error;
    EXPECT_FALSE(simulator.run(base + "/file/study", false, nullptr, &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
