// The simulator's building blocks: antenna rules, the time stamps, the
// counts file of a hand-made history and the design checks.

#include "common/TestEnvironment.h"
#include "tools/sim/CivilTime.h"
#include "tools/sim/NextDetectionCounts.h"
#include "tools/sim/PositionMap.h"
#include "tools/sim/Random.h"
#include "tools/sim/SiteCode.h"
#include "tools/sim/StudyDesign.h"
#include "tools/sim/StudySimulator.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include <limits>

using namespace rivulet::sim;

namespace {

SiteCode::Rule rule(char letter, const QStringList& coils)
{
    SiteCode::Rule r;
    r.letter = letter;
    r.text = QString("Route %1").arg(letter);
    r.coils = coils;
    return r;
}

// Two ranges switching at noon on 20 May 2009, and an exception in May 2008
// that sends the outfall coils to transport.
SiteCode bypassCode()
{
    const qint64 change = CivilTime::fromDateTime(2009, 5, 20, 12, 0, 0);
    SiteCode::Range before{CivilTime::fromDate(1990, 1, 1),
                           change,
                           false,
                           {rule('R', {"01", "02"}), rule('B', {"05"}), rule('T', {"21", "23"})}};
    SiteCode::Range after{change + 1,
                          std::numeric_limits<qint64>::max(),
                          true,
                          {rule('R', {"01", "02", "23"}), rule('B', {"05"}), rule('T', {"21"})}};
    SiteCode::Exception closed{CivilTime::fromDate(2008, 5, 5),
                               CivilTime::fromDateTime(2008, 5, 9, 16, 0, 0), rule('T', {"05"})};
    return SiteCode("HRJ", {before, after}, {closed});
}

TEST(SimulatorSiteCode, RoutesFollowRangesExceptionsAndHexCoils)
{
    const SiteCode code = bypassCode();
    const qint64 spring2008 = CivilTime::fromDate(2008, 4, 20);
    const qint64 closed = CivilTime::fromDateTime(2008, 5, 9, 15, 59, 59);
    const qint64 reopened = CivilTime::fromDateTime(2008, 5, 9, 16, 0, 1);
    const qint64 lastOld = CivilTime::fromDateTime(2009, 5, 20, 12, 0, 0);
    EXPECT_EQ(code.route("23", spring2008), 'T');
    EXPECT_EQ(code.route("23", lastOld), 'T');
    EXPECT_EQ(code.route("23", lastOld + 1), 'R');
    EXPECT_EQ(code.route("05", closed), 'T');
    EXPECT_EQ(code.route("05", reopened), 'B');
    EXPECT_EQ(code.route(" 5 ", spring2008), 'B') << "5 and 05 are the same antenna";
    EXPECT_EQ(code.route("07", spring2008), 0);
    EXPECT_EQ(code.route("01", CivilTime::fromDate(1985, 1, 1)), 0);
    EXPECT_TRUE(SiteCode::goesOn('R') && SiteCode::goesOn('B'));
    EXPECT_FALSE(SiteCode::goesOn('T') || SiteCode::goesOn('S') || SiteCode::goesOn(0));
}

TEST(SimulatorSiteCode, PickedCoilsGiveTheRouteAskedFor)
{
    const SiteCode code = bypassCode();
    Random random(9);
    const qint64 start = CivilTime::fromDate(2008, 3, 1);
    bool sawOutfallAsTransport = false;
    for (int i = 0; i < 3000; ++i) {
        const qint64 t = start + static_cast<qint64>(random.uniform() * 600 * CivilTime::Day);
        for (bool goesOn : {true, false}) {
            ASSERT_TRUE(code.hasCoil(goesOn, t));
            const QByteArray coil = code.pickCoil(goesOn, t, random);
            const char route = code.route(QString::fromLatin1(coil), t);
            ASSERT_EQ(SiteCode::goesOn(route), goesOn) << coil.constData() << " at " << t;
            ASSERT_NE(route, 0);
            sawOutfallAsTransport = sawOutfallAsTransport || (!goesOn && coil == "05");
        }
    }
    EXPECT_TRUE(sawOutfallAsTransport);
    EXPECT_FALSE(code.hasCoil(true, CivilTime::fromDate(1985, 6, 1)));
    EXPECT_TRUE(code.pickCoil(true, CivilTime::fromDate(1985, 6, 1), random).isEmpty());
}

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

TEST(SimulatorRandom, SequenceDependsOnTheSeedOnly)
{
    Random a(5), b(5), c(6);
    int same = 0;
    for (int i = 0; i < 100; ++i) {
        const quint64 x = a.next();
        EXPECT_EQ(x, b.next());
        same += x == c.next() ? 1 : 0;
    }
    EXPECT_EQ(same, 0);
    Random d(7);
    double sum = 0.0;
    for (int i = 0; i < 20000; ++i) {
        const double u = d.uniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        const int k = d.below(7);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 7);
        sum += u;
    }
    EXPECT_NEAR(sum / 20000, 0.5, 0.01);
}

// One release at site 0 of sites 0 (release), 1, 2 and 3 (final), one year.
TEST(SimulatorCounts, HandMadeHistoriesGiveTheCountsFile)
{
    using Entry = NextDetectionCounts::Entry;
    NextDetectionCounts counts(1, 4, 1, 1);
    const Entry seenTwiceThenFinal[] = {{1, 0, false}, {2, 0, false}, {3, 0, true}};
    const Entry seenOnce[] = {{1, 0, false}};
    const Entry removedAtFirst[] = {{1, 0, true}};
    const Entry skippedOne[] = {{2, 0, false}};
    counts.addFish(0, seenTwiceThenFinal, 3);
    counts.addFish(0, seenOnce, 1);
    counts.addFish(0, removedAtFirst, 1);
    counts.addFish(0, skippedOne, 1);
    counts.addFish(0, nullptr, 0);
    EXPECT_EQ(counts.notSeen(0), 1);
    EXPECT_EQ(counts.first(0, 1, 0), 3);
    EXPECT_EQ(counts.first(0, 2, 0), 1);
    EXPECT_EQ(counts.next(0, 1, 0, 2, 0), 1);
    EXPECT_EQ(counts.notSeenAgain(0, 1, 0), 1) << "the removed fish is not a group member";
    EXPECT_EQ(counts.notSeenAgain(0, 2, 0), 1);
    EXPECT_EQ(counts.next(0, 2, 0, 3, 0), 1);

    PositionMap positions(4, 1);
    for (int s = 0; s < 4; ++s)
        positions.markSite(s);
    positions.markYear(0);
    QString text, error;
    QTextStream out(&text);
    SimRelease release;
    ASSERT_TRUE(counts.write(out, {release}, positions, &error));
    out.flush();
    EXPECT_EQ(text.toStdString(), "1 4 1\n0\n0\n5\n\n"
                                  "1\n3\n1\n0\n"
                                  "1\n1 \n0 \n"
                                  "1\n1 \n");
}

TEST(SimulatorCounts, MissingSitesAreLeftOutAndAMissingFinalSiteIsRefused)
{
    using Entry = NextDetectionCounts::Entry;
    NextDetectionCounts counts(1, 4, 1, 2);
    const Entry history[] = {{2, 1, false}, {3, 1, true}};
    counts.addFish(0, history, 2);
    PositionMap positions(4, 2);
    positions.markSite(0);
    positions.markSite(2);
    positions.markYear(0);
    positions.markYear(1);
    QString text, error;
    QTextStream out(&text);
    EXPECT_FALSE(counts.write(out, {SimRelease{}}, positions, &error));
    EXPECT_FALSE(error.isEmpty());
    positions.markSite(3);
    EXPECT_EQ(positions.siteCount(), 3);
    EXPECT_EQ(positions.sitePosition(1), -1);
    EXPECT_EQ(positions.siteAt(2), 3);
    QString ok;
    QTextStream good(&ok);
    ASSERT_TRUE(counts.write(good, {SimRelease{}}, positions, &error));
    good.flush();
    // Site 1 never saw a fish, so the site at layout position 2 is position 1.
    EXPECT_EQ(ok.toStdString(), "1 3 2\n0\n0\n1\n\n"
                                "0\n0\n1\n0\n0\n"
                                "0\n0 \n0 \n"
                                "0\n1 \n");
}

TEST(SimulatorDesign, PresetsAndLimits)
{
    for (const QString& name : StudyDesign::presetNames()) {
        const auto design = StudyDesign::preset(name);
        ASSERT_TRUE(design.has_value()) << name.toStdString();
        EXPECT_TRUE(design->validate().isEmpty()) << name.toStdString();
    }
    EXPECT_FALSE(StudyDesign::preset("huge").has_value());
    const auto large = StudyDesign::preset("large");
    EXPECT_EQ(large->releaseSites * large->releaseYears, 100);
    EXPECT_EQ(large->releaseSites + large->detectionSites, 30);
    EXPECT_EQ(StudyDesign::preset("one-year")->years, 1);

    StudyDesign design;
    EXPECT_TRUE(design.validate().isEmpty());
    design.releaseYears = design.years + 1;
    EXPECT_FALSE(design.validate().isEmpty());
    design = StudyDesign();
    design.detectionSites = 1;
    EXPECT_FALSE(design.validate().isEmpty());
    design = StudyDesign();
    design.detection = 1.0;
    EXPECT_FALSE(design.validate().isEmpty());
    design = StudyDesign();
    design.holdOver = 0.6;
    EXPECT_FALSE(design.validate().isEmpty());
    design = StudyDesign();
    design.firstReachHoldOver = 0.0;
    design.sparseReleaseFish = design.fishPerRelease;
    EXPECT_TRUE(design.validate().isEmpty());
    design.sparseReleaseFish = design.fishPerRelease + 1;
    EXPECT_FALSE(design.validate().isEmpty());
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
