#include "rivulet/filesource/SimulatedDataLoader.h"
#include "lum/core/ParseError.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"

#include <QTextStream>

#include <gtest/gtest.h>

using namespace rivulet;

namespace {

// Two releases, four sites (0 release, 1 and 2 detection sites, 3 final), two years.
const char* const TwoReleases = "2 4 2\n"
                                "0 1\n"
                                "0 1\n"
                                "20 7\n"
                                "\n"
                                // release 0 at (0, 0): never seen, then sites 1..3 x years 0..1
                                "5\n"
                                "6\n1\n2\n0\n3\n3\n"
                                // groups (1,0), (1,1), (2,0), (2,1)
                                "1\n2 \n1 \n1 \n1 \n0\n1 \n1 \n"
                                "0\n2 \n1 \n0\n1 \n"
                                // release 1 at (1, 1): never seen, sites 2..3 in year 1
                                "2\n"
                                "4\n1\n"
                                // group (2,1)
                                "1\n3 \n";

struct DataSet
{
    CountsFileSitesController sites;
    CountsFileYearsController years;
    CountsFileReleasesController releases;
    NextDetectionsFromFile counts{releases, sites, years};

    void load(const QString& text)
    {
        QString copy = text;
        QTextStream in(&copy);
        SimulatedDataLoader(releases, sites, years, counts).load(in);
    }
};

TEST(SimulatedDataLoader, ReadsTheHeaderAndTheCountsOfEveryRelease)
{
    DataSet data;
    data.load(QString::fromLatin1(TwoReleases));
    EXPECT_EQ(data.sites.shortNames(), (QStringList{"S1", "S2", "S3", "S4"}));
    EXPECT_EQ(data.years.years(), (QList<int>{2008, 2009}));
    ASSERT_EQ(data.releases.labels(), (QStringList{"S1 2008", "S2 2009"}));
    const int first = data.releases.ids().at(0);
    const int second = data.releases.ids().at(1);
    EXPECT_EQ(data.sites.indexOf(data.releases.releaseSiteId(second)), 1);
    EXPECT_EQ(data.years.indexOf(data.releases.releaseYearId(second)), 1);

    EXPECT_EQ(data.counts.releaseNotSeen(ReleaseId{first}), 5);
    EXPECT_EQ(data.counts.releaseNextCounts(ReleaseId{first}).count(1, 0), 6);
    EXPECT_EQ(data.counts.releaseNextCounts(ReleaseId{first}).count(2, 1), 0);
    EXPECT_EQ(data.counts.releaseNextCounts(ReleaseId{first}).count(3, 1), 3);
    EXPECT_EQ(data.counts.notSeenAgain(ReleaseId{first}, 1, 0), 1);
    EXPECT_EQ(data.counts.nextCounts(ReleaseId{first}, 1, 0).count(2, 0), 2);
    EXPECT_EQ(data.counts.nextCounts(ReleaseId{first}, 1, 0).count(3, 1), 1);
    EXPECT_EQ(data.counts.nextCounts(ReleaseId{first}, 1, 1).count(3, 1), 1);
    EXPECT_EQ(data.counts.notSeenAgain(ReleaseId{first}, 2, 1), 0);
    EXPECT_EQ(data.counts.nextCounts(ReleaseId{first}, 2, 1).count(3, 1), 1);
    EXPECT_EQ(data.counts.releaseNotSeen(ReleaseId{second}), 2);
    EXPECT_EQ(data.counts.releaseNextCounts(ReleaseId{second}).count(2, 1), 4);
    EXPECT_EQ(data.counts.nextCounts(ReleaseId{second}, 2, 1).count(3, 1), 3);
    // Every detection at the final site ends a history; no other first removal is in the file.
    EXPECT_EQ(data.counts.releaseRemovedCounts(ReleaseId{first}).sum(), 6);
}

TEST(SimulatedDataLoader, AMalformedFileLeavesTheDataSetAsItWas)
{
    DataSet data;
    data.load(QString::fromLatin1(TwoReleases));
    const QStringList labels = data.releases.labels();
    const int first = data.releases.ids().at(0);

    QString broken = QString::fromLatin1(TwoReleases);
    broken.replace(QStringLiteral("4\n1\n1\n3 \n"), QStringLiteral("4\n1\n1\nthree\n"));
    ASSERT_NE(broken, QString::fromLatin1(TwoReleases));
    try {
        data.load(broken);
        FAIL() << "a malformed file was accepted";
    } catch (const lum::ParseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("integer expected"));
        EXPECT_EQ(e.line(), 30);
    }
    EXPECT_EQ(data.releases.labels(), labels);
    EXPECT_EQ(data.sites.count(), 4);
    EXPECT_EQ(data.counts.releaseNextCounts(ReleaseId{first}).count(1, 0), 6);
    EXPECT_EQ(data.counts.notSeenAgain(ReleaseId{first}, 1, 0), 1);

    // A smaller data set replaces everything at once.
    data.load(QStringLiteral("1 2 1\n0\n0\n3\n\n1\n2\n"));
    EXPECT_EQ(data.releases.count(), 1);
    EXPECT_EQ(data.sites.count(), 2);
    EXPECT_EQ(data.counts.releaseNextCounts(ReleaseId{first}).count(1, 0), 2);
    EXPECT_EQ(data.counts.notSeenAgain(ReleaseId{first}, 1, 0), 0);
}

// Each value fits a count but their sums did not: a release of "-2147483614 fish".
TEST(SimulatedDataLoader, CountsThatAddUpBeyondACountOrMissTheFishNumberAreRefused)
{
    const auto refusal = [](const char* text) -> QString {
        DataSet data;
        try {
            data.load(QString::fromLatin1(text));
        } catch (const lum::ParseError& e) {
            return e.text() + " [" + e.token() + "]";
        }
        return QStringLiteral("accepted");
    };
    EXPECT_EQ(refusal("1 2 1\n0\n0\n2147483647\n\n2147483647\n1\n"),
              "the counts add up to more than 2147483647 fish at line 7, column 1 [1]");
    EXPECT_EQ(refusal("1 2 1\n0\n0\n4\n\n1\n2\n"),
              "the fish number of release 1 does not match its counts (3) at line 4, column 1 [4]");
    EXPECT_EQ(refusal("1 2 1\n0\n0\n2147483647\n\n2147483640\n7\n"), "accepted");
    // Text after the last count was ignored, and a release at the final site "fitted" a model
    // of no parameters.
    EXPECT_EQ(refusal("1 2 1\n0\n0\n3\n\n1\n2\n7 # more\n"),
              "text after the last count; expected the end of the file at line 8, column 1 [7]");
    EXPECT_EQ(refusal("1 2 1\n0\n0\n3\n\n1\n2\nx\n"),
              "text after the last count; expected the end of the file at line 8, column 1 [x]");
    EXPECT_EQ(refusal("1 2 1\n1\n0\n3\n\n3\n"),
              "a release at the final site, below which no fish can be seen; expected a site "
              "from 0 to 0 at line 2, column 1 [1]");
}

} // namespace
