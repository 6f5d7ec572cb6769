// The simulated counts follow the true parameters within sampling error, and
// a seed fixes every file.

#include "StudyReader.h"

#include "common/TestEnvironment.h"
#include "tools/sim/StudySimulator.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace rivulet;
using rivulet::test::TestEnvironment;

namespace {

const QStringList AllFiles = {sim::StudySimulator::ConfigFile,
                              sim::StudySimulator::ObservationsFile, sim::StudySimulator::AgesFile,
                              sim::StudySimulator::TruthFile, sim::StudySimulator::CountsFile};

QString simulate(sim::StudyDesign design, const QString& hint)
{
    const QString folder = TestEnvironment::freshDir(hint);
    sim::StudySimulator simulator(design);
    QString error;
    EXPECT_TRUE(simulator.run(folder, true, nullptr, &error)) << error.toStdString();
    return folder;
}

// The counts file read as the program reads it.
class CountsFile
{
public:
    explicit CountsFile(const QString& path) : m_numbers(test::readNumbers(path))
    {
        R = int(take()), S = int(take()), Y = int(take());
        for (int r = 0; r < R; ++r)
            relSite << int(take());
        for (int r = 0; r < R; ++r)
            relYear << int(take());
        for (int r = 0; r < R; ++r)
            fish << take();
        for (int r = 0; r < R; ++r) {
            notSeen << take();
            for (int s = relSite[r] + 1; s < S; ++s)
                for (int y = relYear[r]; y < Y; ++y)
                    first[{r, s, y}] = take();
            for (int a = relSite[r] + 1; a < S - 1; ++a)
                for (int b = relYear[r]; b < Y; ++b) {
                    notSeenAgain[{r, a, b}] = take();
                    for (int s = a + 1; s < S; ++s)
                        for (int y = b; y < Y; ++y)
                            next[{r, a, b, s, y}] = take();
                }
        }
        complete = m_at == m_numbers.size();
    }
    // Fish seen at (a, b) that were seen again or never seen again.
    qint64 groupSize(int r, int a, int b) const
    {
        qint64 n = notSeenAgain.value({r, a, b});
        for (int s = a + 1; s < S; ++s)
            for (int y = b; y < Y; ++y)
                n += next.value({r, a, b, s, y});
        return n;
    }

    int R = 0, S = 0, Y = 0;
    QVector<int> relSite, relYear;
    QVector<qint64> fish, notSeen;
    QMap<std::tuple<int, int, int>, qint64> first, notSeenAgain;
    QMap<std::tuple<int, int, int, int, int>, qint64> next;
    bool complete = false;

private:
    qint64 take() { return m_at < m_numbers.size() ? m_numbers.at(m_at++) : -1; }
    QVector<qint64> m_numbers;
    int m_at = 0;
};

void expectProportion(qint64 hits, qint64 n, double expected, const std::string& what)
{
    ASSERT_GT(n, 0) << what;
    const double se = std::sqrt(expected * (1.0 - expected) / double(n));
    EXPECT_NEAR(double(hits) / double(n), expected, 4.0 * se + 1e-12) << what;
}

TEST(SimulatorStatistics, FirstDetectionsFollowPhiTimesPWithoutHoldOver)
{
    for (quint64 seed : {3u, 4u}) {
        auto design = sim::StudyDesign::preset("one-year");
        design->seed = seed;
        const QString folder = simulate(*design, "sim-cjs");
        const CountsFile counts(QDir(folder).filePath(sim::StudySimulator::CountsFile));
        ASSERT_TRUE(counts.complete);
        QStringList problems;
        const auto truth =
            test::readTruth(QDir(folder).filePath(sim::StudySimulator::TruthFile), &problems);
        ASSERT_TRUE(problems.isEmpty());
        ASSERT_EQ(counts.Y, 1);
        const int trap = design->releaseSites;
        for (int r = 0; r < counts.R; ++r) {
            EXPECT_EQ(counts.fish[r], design->fishPerRelease);
            // Passing the other release sites costs nothing.
            for (int s = counts.relSite[r] + 1; s < trap; ++s)
                EXPECT_EQ(truth.value({"phi", r, s, 0, 0}), 1.0);
            const double phiP =
                truth.value({"phi", r, trap, 0, 0}) * truth.value({"p", r, trap, 0, -1});
            expectProportion(counts.first.value({r, trap, 0}), counts.fish[r], phiP, "first site");
            // Fish seen at the trap and then at the next site.
            const double next =
                truth.value({"phi", r, trap + 1, 0, 0}) * truth.value({"p", r, trap + 1, 0, -1});
            expectProportion(counts.next.value({r, trap, 0, trap + 1, 0}),
                             counts.groupSize(r, trap, 0), next, "trap to next site");
        }
    }
}

TEST(SimulatorStatistics, HoldOverAndFinalReachFollowTheirParameters)
{
    auto design = sim::StudyDesign::preset("sample");
    design->seed = 5;
    design->fishPerRelease = 4000;
    const QString folder = simulate(*design, "sim-holdover");
    const CountsFile counts(QDir(folder).filePath(sim::StudySimulator::CountsFile));
    ASSERT_TRUE(counts.complete);
    QStringList problems;
    const auto truth =
        test::readTruth(QDir(folder).filePath(sim::StudySimulator::TruthFile), &problems);
    ASSERT_TRUE(problems.isEmpty());
    const int trap = design->releaseSites, last = counts.S - 1;
    for (int r = 0; r < counts.R; ++r) {
        const int b = counts.relYear[r];
        double heldOver = 0.0, total = 0.0;
        for (int y = b; y < counts.Y; ++y) {
            const double phi = truth.value({"phi", r, trap, b, y});
            total += phi;
            heldOver += y > b ? phi : 0.0;
            // The trap is the first detection site, so a first detection there in
            // year y is phi(r, trap, b, y) * p(trap, y), hold-over or not.
            expectProportion(counts.first.value({r, trap, y}), counts.fish[r],
                             phi * truth.value({"p", r, trap, y, -1}), "first reach");
        }
        if (b + 1 < counts.Y) {
            EXPECT_GT(heldOver / total, 0.04);
            EXPECT_LT(heldOver / total, 0.16);
        }
        // From the last dam to the final site.
        for (int y = b; y < counts.Y; ++y) {
            const qint64 n = counts.groupSize(r, last - 1, y);
            if (n > 50)
                expectProportion(counts.next.value({r, last - 1, y, last, y}), n,
                                 truth.value({"lambda", r, last, y, y}), "final reach");
        }
    }
}

TEST(SimulatorStatistics, DetectionProbabilitiesStayWellInsideTheUnitInterval)
{
    auto design = sim::StudyDesign::preset("large");
    sim::StudySimulator simulator(*design);
    const sim::TrueParameters& truth = simulator.truth();
    const int first = design->releaseSites;
    for (int r = 0; r < truth.releaseCount(); ++r) {
        const int rs = simulator.releases().at(r).site, ry = simulator.releases().at(r).year;
        for (int s = first; s < truth.siteCount() - 1; ++s) {
            for (int y = ry; y < truth.yearCount(); ++y) {
                EXPECT_GT(truth.capture(r, s, y), 0.1);
                EXPECT_LT(truth.capture(r, s, y), 0.9);
                double sum = 0.0;
                for (int y2 = y; y2 < truth.yearCount(); ++y2)
                    sum += truth.phi(r, s, y, y2);
                EXPECT_GT(sum, 0.3);
                EXPECT_LE(sum, 1.0);
            }
        }
        EXPECT_LT(rs, first);
        EXPECT_GT(truth.lambda(r, ry, ry), 0.05);
    }
}

TEST(SimulatorStatistics, ASeedFixesEveryFile)
{
    auto design = sim::StudyDesign::preset("sample");
    design->fishPerRelease = 300;
    design->seed = 42;
    const QDir a(simulate(*design, "sim-seed-a")), b(simulate(*design, "sim-seed-b"));
    design->seed = 43;
    const QDir c(simulate(*design, "sim-seed-c"));
    for (const QString& name : AllFiles) {
        const QByteArray bytes = test::fileBytes(a.filePath(name));
        ASSERT_FALSE(bytes.isEmpty()) << name.toStdString();
        EXPECT_EQ(bytes, test::fileBytes(b.filePath(name))) << name.toStdString();
    }
    // Another seed samples other fish under the same river and the same truth.
    EXPECT_NE(test::fileBytes(a.filePath(sim::StudySimulator::ObservationsFile)),
              test::fileBytes(c.filePath(sim::StudySimulator::ObservationsFile)));
    EXPECT_EQ(test::fileBytes(a.filePath(sim::StudySimulator::ConfigFile)),
              test::fileBytes(c.filePath(sim::StudySimulator::ConfigFile)));
    const QByteArray truthA = test::fileBytes(a.filePath(sim::StudySimulator::TruthFile));
    const QByteArray truthC = test::fileBytes(c.filePath(sim::StudySimulator::TruthFile));
    EXPECT_EQ(truthA.mid(truthA.indexOf("\nfamily")), truthC.mid(truthC.indexOf("\nfamily")));
}

} // namespace
