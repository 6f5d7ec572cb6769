// The configuration commands and the diagram picture, run by the built tool on copies of the
// sample study's database.
#include "StudyToolFixture.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

namespace {

using rivulet::test::MockCountsFixture;
using rivulet::test::StudyToolFixture;

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

    Run onCopy(const QStringList& arguments) const
    {
        return tool(QStringList{"--db", db, "--sites-config", sample("sites_config.txt")} +
                    arguments);
    }

    // The first line of the counts file: releases, sites and years of the next fit.
    QStringList countsHeader() const
    {
        const QString file = dir + "/counts.txt";
        const Run run = onCopy({"next-detections", "--write", file});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QString::fromUtf8(contents(file)).section('\n', 0, 0).split(' ');
    }

    QString dir;
    QString db;
};

TEST_F(ConfigurationCommands, ReleasesAndSitesEditsChangeWhatTheNextFitCounts)
{
    const QStringList header = countsHeader();
    ASSERT_EQ(header.size(), 3);
    const Run releases = onCopy({"releases"});
    ASSERT_EQ(releases.exitCode, 0) << releases.err.toStdString();
    const QStringList lines = releases.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), header.at(0).toInt());
    const QString label = lines.first().section("  ", 0, 0).trimmed();

    EXPECT_NE(onCopy({"releases", "exclude", "Nowhere 1999"}).exitCode, 0);
    const Run exclude = onCopy({"releases", "exclude", label});
    ASSERT_EQ(exclude.exitCode, 0) << exclude.err.toStdString();
    EXPECT_TRUE(
        onCopy({"releases"})
            .out.contains(QRegularExpression(QRegularExpression::escape(label) + "\\s+excluded")));
    EXPECT_EQ(countsHeader().at(0).toInt(), header.at(0).toInt() - 1);
    ASSERT_EQ(onCopy({"releases", "include", label}).exitCode, 0);
    EXPECT_EQ(countsHeader(), header);

    // A release site cannot go; the last detection site above the final one can.
    const Run sites = onCopy({"sites"});
    ASSERT_EQ(sites.exitCode, 0);
    QString releaseSite;
    QStringList detectionSites;
    for (const QString& line : sites.out.split('\n', Qt::SkipEmptyParts)) {
        if (line.contains("release site") && releaseSite.isEmpty())
            releaseSite = line.section(' ', 0, 0);
        else if (!line.contains("release site") && line.contains("position"))
            detectionSites << line.section(' ', 0, 0);
    }
    ASSERT_FALSE(releaseSite.isEmpty()) << sites.out.toStdString();
    ASSERT_GE(detectionSites.size(), 2) << sites.out.toStdString();
    const QString detectionSite = detectionSites.at(detectionSites.size() - 2);
    const Run refused = onCopy({"sites", "remove", releaseSite});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains("is a release site")) << refused.err.toStdString();
    ASSERT_EQ(onCopy({"sites", "remove", detectionSite}).exitCode, 0);
    EXPECT_TRUE(onCopy({"sites"}).out.contains(
        QRegularExpression(QRegularExpression::escape(detectionSite) + "\\s+\\S+\\s+removed")));
    EXPECT_EQ(countsHeader().at(1).toInt(), header.at(1).toInt() - 1);
    ASSERT_EQ(onCopy({"sites", "reset"}).exitCode, 0);
    EXPECT_EQ(countsHeader(), header);
}

TEST_F(ConfigurationCommands, DiagramWritesAPictureOfTheRelease)
{
    const QString png = dir + "/diagram.png";
    const Run unknown = onCopy({"diagram", "--release", "Nowhere 1999", "--png", png});
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_FALSE(QFile::exists(png));

    const Run run = onCopy({"diagram", "--png", png});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QImage image;
    ASSERT_TRUE(image.load(png));
    // Three detection sites and a final one at 200 apart, two year rows at 100 apart.
    EXPECT_TRUE(image.width() >= 600 && image.width() <= 2000) << image.width();
    EXPECT_TRUE(image.height() >= 150 && image.height() <= 1000) << image.height();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    }
    EXPECT_GT(dark, 500) << "bars, paths and labels are drawn in black";
}

class ConfigurationOfCounts : public MockCountsFixture
{
};

TEST_F(ConfigurationOfCounts, ACountsFileCannotBeConfigured)
{
    const Run run = mock({"sites", "reset"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("cannot be configured")) << run.err.toStdString();
}

} // namespace
