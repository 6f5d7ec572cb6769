// The configuration commands and the diagram picture, run by the built tool on copies of the
// sample study's database.
#include "StudyToolFixture.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

namespace {

using rivulet::test::runTool;
using rivulet::test::StudyToolFixture;
using rivulet::test::ToolRun;

class ConfigurationCommands : public StudyToolFixture
{
protected:
    void SetUp() override
    {
        const QString sampleDb = sampleDatabase();
        ASSERT_FALSE(sampleDb.isEmpty());
        dir = rivulet::test::TestEnvironment::freshDir("cli-configuration");
        db = dir + "/study.db";
        ASSERT_TRUE(QFile::copy(sampleDb, db));
    }

    ToolRun onCopy(const QStringList& arguments) const
    {
        return runTool(QStringList{"--db", db, "--sites-config", sample("sites_config.txt")} +
                       arguments);
    }

    // The first line of the counts file: releases, sites and years of the next fit.
    QStringList countsHeader() const
    {
        const ToolRun run = onCopy({"next-detections"});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return run.out.section('\n', 0, 0).split(' ');
    }

    QString dir;
    QString db;
};

// The sample holds 6 releases, 10 sites and 3 years; ALDMID releases fish, BFD is the last
// detection site above the final one. A counts file cannot be configured.
TEST_F(ConfigurationCommands, ReleasesAndSitesEditsChangeWhatTheNextFitCounts)
{
    const QStringList header{"6", "10", "3"};
    ASSERT_EQ(countsHeader(), header);
    EXPECT_NE(onCopy({"releases", "exclude", "Nowhere 1999"}).exitCode, 0);
    ASSERT_EQ(onCopy({"releases", "exclude", "ALDUPR 2008"}).exitCode, 0);
    EXPECT_TRUE(onCopy({"releases"}).out.contains(QRegularExpression("ALDUPR 2008\\s+excluded")));
    EXPECT_EQ(countsHeader(), (QStringList{"5", "10", "3"}));
    ASSERT_EQ(onCopy({"releases", "include", "ALDUPR 2008"}).exitCode, 0);
    EXPECT_EQ(countsHeader(), header);

    const ToolRun refused = onCopy({"sites", "remove", "ALDMID"});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains("is a release site")) << refused.err.toStdString();
    ASSERT_EQ(onCopy({"sites", "remove", "BFD"}).exitCode, 0);
    EXPECT_TRUE(onCopy({"sites"}).out.contains(QRegularExpression("BFD\\s+\\S+\\s+removed")));
    EXPECT_EQ(countsHeader(), (QStringList{"6", "9", "3"}));
    ASSERT_EQ(onCopy({"sites", "reset"}).exitCode, 0);
    EXPECT_EQ(countsHeader(), header);

    const ToolRun counts =
        runTool({"--db", dir + "/settings.db", "--mock", sample("counts.txt"), "sites", "reset"});
    EXPECT_NE(counts.exitCode, 0);
    EXPECT_TRUE(counts.err.contains("cannot be configured")) << counts.err.toStdString();

    // Clear All Data: refused without --yes, then every table empty and the study updated.
    EXPECT_EQ(onCopy({"clear"}).exitCode, 2);
    EXPECT_EQ(countsHeader(), header);
    ASSERT_EQ(onCopy({"clear", "--yes"}).exitCode, 0);
    EXPECT_EQ(countsHeader(), (QStringList{"0", "0", "0"}));
}

TEST_F(ConfigurationCommands, DiagramWritesAPictureOfTheRelease)
{
    const QString png = dir + "/diagram.png";
    const ToolRun unknown = onCopy({"diagram", "--release", "Nowhere 1999", "--png", png});
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_FALSE(QFile::exists(png));

    const ToolRun run = onCopy({"diagram", "--png", png});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QImage image;
    ASSERT_TRUE(image.load(png));
    // Three detection sites and a final one at 200 apart, two year rows at 100 apart.
    EXPECT_TRUE(image.width() >= 600 && image.width() <= 2000) << image.width();
    EXPECT_TRUE(image.height() >= 150 && image.height() <= 1000) << image.height();
    int dark = 0;
    for (int i = 0; i < image.width() * image.height(); ++i)
        dark += qGray(image.pixel(i % image.width(), i / image.width())) < 100 ? 1 : 0;
    EXPECT_GT(dark, 500) << "bars, paths and labels are drawn in black";

    // The fits of "fit" are kept with the study: the next picture draws from them, until the
    // data change; the picture's own fit is not kept.
    const QString stored = QStringLiteral("Using the stored fit");
    EXPECT_FALSE(QString(run.out + run.err).contains(stored));
    EXPECT_FALSE(QString(onCopy({"diagram", "--png", png}).out).contains(stored));
    ASSERT_EQ(onCopy({"fit"}).exitCode, 0);
    const ToolRun again = onCopy({"diagram", "--png", png});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(QString(again.out + again.err).contains(stored)) << again.out.toStdString();
    ASSERT_EQ(onCopy({"sites", "remove", "BFD"}).exitCode, 0);
    const ToolRun edited = onCopy({"diagram", "--png", png});
    ASSERT_EQ(edited.exitCode, 0) << edited.err.toStdString();
    EXPECT_FALSE(QString(edited.out + edited.err).contains(stored));
}

} // namespace
