// The files of a simulated study read back by an independent reader: the
// sites configuration, the export and the ages parse as the program reads
// them, the detections are ordered and in season, and the counts file is
// exactly what the program would derive from the export.

#include "StudyReader.h"

#include "common/TestEnvironment.h"
#include "tools/sim/StudySimulator.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cmath>

using namespace rivulet;
using rivulet::test::TestEnvironment;

namespace {

class SimulatedStudyFiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        auto design = sim::StudyDesign::preset("sample");
        design->seed = 11;
        design->fishPerRelease = 900;
        folder = TestEnvironment::freshDir("sim-files");
        sim::StudySimulator simulator(*design);
        QString error;
        ASSERT_TRUE(simulator.run(folder, true, &summary, &error)) << error.toStdString();
        ASSERT_TRUE(config.read(path(sim::StudySimulator::ConfigFile), &error))
            << error.toStdString();
        contents = readExport(path(sim::StudySimulator::ObservationsFile), config,
                              design->firstYear + design->years - 1);
    }
    static QString path(const char* name) { return QDir(folder).filePath(name); }

    static QString folder;
    static sim::StudySummary summary;
    static test::MiniSitesConfig config;
    static test::ExportContents contents;
};

QString SimulatedStudyFiles::folder;
sim::StudySummary SimulatedStudyFiles::summary;
test::MiniSitesConfig SimulatedStudyFiles::config;
test::ExportContents SimulatedStudyFiles::contents;

TEST_F(SimulatedStudyFiles, SitesConfigurationDescribesTheRiver)
{
    ASSERT_EQ(config.releaseSites.size(), 3);
    ASSERT_EQ(config.detectionSites.size(), 8); // the headwaters array and seven below
    const QString top = config.releaseSites.first().riverKm;
    for (int i = 1; i < config.releaseSites.size(); ++i)
        EXPECT_TRUE(test::MiniSitesConfig::isDownstream(config.releaseSites.at(i).riverKm, top))
            << "release sites lie in series";
    for (const test::ConfigSite& site : config.detectionSites.mid(1))
        EXPECT_TRUE(
            test::MiniSitesConfig::isDownstream(site.riverKm, config.releaseSites.last().riverKm))
            << site.name.toStdString();
    EXPECT_FALSE(test::MiniSitesConfig::isDownstream(config.detectionSites.first().riverKm, top));
    int ranges = 0, exceptions = 0;
    for (const test::ConfigCode& code : config.codes) {
        ranges += code.ranges.size();
        exceptions += code.exceptions.size();
    }
    EXPECT_GT(ranges, config.codes.size()) << "some codes change their rules on a date";
    EXPECT_GE(exceptions, 1);
}

TEST_F(SimulatedStudyFiles, ExportHasNineteenFieldsOrderedRowsAndKnownSites)
{
    EXPECT_TRUE(contents.problems.isEmpty())
        << contents.problems.mid(0, 5).join('\n').toStdString();
    EXPECT_EQ(contents.rows, summary.rows);
    EXPECT_EQ(contents.tags.size(), summary.fish);
    EXPECT_GT(contents.ignoredRows, 0) << "adult returns flagged A";
    EXPECT_GT(contents.droppedUpstream, 0) << "visits above the release site";
    int neverDetected = 0, repeatedHits = 0;
    for (const test::TagRecord& tag : contents.tags) {
        neverDetected += tag.detections.isEmpty() ? 1 : 0;
        for (int i = 1; i < tag.detections.size(); ++i)
            repeatedHits += tag.detections.at(i).site == tag.detections.at(i - 1).site ? 1 : 0;
    }
    EXPECT_EQ(neverDetected, summary.neverDetected);
    EXPECT_GT(repeatedHits, contents.tags.size() / 10);
}

TEST_F(SimulatedStudyFiles, DispositionsEndHistoriesOnlyWhereFishWereTakenOut)
{
    int removals = 0, afterRemoval = 0, transportRoutes = 0;
    for (const test::TagRecord& tag : contents.tags) {
        bool removed = false;
        QString removedAt;
        for (const test::KeptDetection& d : tag.detections) {
            if (removed && d.site != removedAt) {
                ++afterRemoval;
                EXPECT_EQ(d.site, config.detectionSites.last().name)
                    << "only the trawl sees fish after they were taken out";
            }
            if (d.disposition == 2 && !removed && d.site != config.detectionSites.last().name) {
                removed = true;
                removedAt = d.site;
                ++removals;
                transportRoutes += d.code.endsWith('J') ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(removals, summary.removed);
    EXPECT_GT(transportRoutes, removals / 2);
    EXPECT_GT(afterRemoval, 0) << "some transported fish are caught in the trawl";
}

TEST_F(SimulatedStudyFiles, CountsFileIsWhatTheExportImplies)
{
    const QVector<qint64> written = test::readNumbers(path(sim::StudySimulator::CountsFile));
    const QVector<qint64> derived = test::deriveCounts(contents, config);
    ASSERT_EQ(written.size(), derived.size());
    for (int i = 0; i < written.size(); ++i)
        ASSERT_EQ(written.at(i), derived.at(i)) << "number " << i;
    EXPECT_EQ(written.mid(0, 3), (QVector<qint64>{6, 10, 3}));
    EXPECT_EQ(written.mid(3, 6), (QVector<qint64>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(written.mid(9, 6), (QVector<qint64>{0, 1, 0, 1, 0, 1}));
}

TEST_F(SimulatedStudyFiles, RemovalsFollowTheTrueShares)
{
    QStringList problems;
    const auto truth = test::readTruth(path(sim::StudySimulator::TruthFile), &problems);
    ASSERT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    // Fish detected and fish taken out, by site and year, from the histories.
    QMap<QPair<QString, int>, QPair<int, int>> tally;
    for (const test::TagRecord& tag : contents.tags) {
        QString previous;
        for (const test::KeptDetection& d : tag.detections) {
            auto& cell = tally[{d.site, d.year}];
            if (d.site != previous)
                ++cell.first;
            previous = d.site;
            if (d.disposition == 2) {
                ++cell.second;
                break;
            }
        }
    }
    QFile file(path(sim::StudySimulator::TruthFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    int checked = 0;
    for (const QString& line : QString(file.readAll()).split('\n')) {
        const QStringList f = line.split(',');
        if (f.size() != 11 || f[0] != "removal")
            continue;
        const auto cell = tally.value({f[7], f[8].toInt()});
        if (cell.first < 150)
            continue;
        const double q = f[10].toDouble();
        const double share = double(cell.second) / cell.first;
        const double se = std::sqrt(std::max(q * (1 - q), 0.01) / cell.first);
        EXPECT_NEAR(share, q, 4 * se) << line.toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 8);
}

TEST_F(SimulatedStudyFiles, AgesCoverEveryTagInTheAcceptedForms)
{
    QFile file(path(sim::StudySimulator::AgesFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QSet<QString> tags;
    int forms[4] = {};
    const QRegularExpression slashDate("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$");
    for (const QString& line : QString(file.readAll()).split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList f = line.split(',');
        ASSERT_TRUE(f.size() == 2 || f.size() == 3) << line.toStdString();
        tags.insert(f[0]);
        if (f.last().trimmed().toLower() == "na") {
            ++forms[0];
            continue;
        }
        bool ok = false;
        if (f.size() == 2) {
            const int cohort = f[1].toInt(&ok);
            EXPECT_TRUE(ok && cohort > 2000 && cohort <= 2009) << line.toStdString();
            ++forms[1];
            continue;
        }
        int year = f[1].toInt(&ok);
        if (!ok) {
            const auto m = slashDate.match(f[1]);
            ASSERT_TRUE(m.hasMatch()) << line.toStdString();
            EXPECT_TRUE(QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt())
                            .isValid());
            year = m.captured(3).toInt();
            ++forms[3];
        } else {
            ++forms[2];
        }
        const int age = f[2].toInt(&ok);
        EXPECT_TRUE(ok && age >= 0 && age <= 3 && year >= 2008) << line.toStdString();
    }
    EXPECT_EQ(tags.size(), contents.tags.size());
    for (int count : forms)
        EXPECT_GT(count, 0);
}

} // namespace
