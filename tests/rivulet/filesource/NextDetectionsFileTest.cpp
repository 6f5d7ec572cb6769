#include "rivulet/counts/NextDetectionsFixture.h"

#include "lum/core/ParseError.h"
#include "rivulet/filesource/CountsTokenizer.h"
#include "rivulet/filesource/NextDetectionsFromFile.h"
#include "rivulet/filesource/SimulatedDataLoader.h"

#include <QTextStream>

#include <gtest/gtest.h>

#include <random>

using namespace rivulet;
using rivulet::test::HistoryData;
using rivulet::test::randomHistory;
using rivulet::test::Seen;

namespace {

QString written(const NextDetectionsI& counts)
{
    QString text;
    QTextStream out(&text);
    counts.write(out);
    return text;
}

// A loaded simulated data set.
struct Loaded
{
    explicit Loaded(QString text) : m_text(std::move(text))
    {
        QTextStream in(&m_text);
        SimulatedDataLoader(releases, sites, years, counts).load(in);
    }
    QString m_text;
    CountsFileSitesController sites;
    CountsFileYearsController years;
    CountsFileReleasesController releases;
    NextDetectionsFromFile counts{releases, sites, years};
};

lum::ParseError parseErrorOf(const QString& text)
{
    try {
        Loaded loaded(text);
    } catch (const lum::ParseError& e) {
        return e;
    }
    ADD_FAILURE() << "no parse error for: " << text.toStdString();
    return lum::ParseError(QString(), 0, 0);
}

TEST(NextDetectionsFile, WritesTheDocumentedLayout)
{
    HistoryData data(3, 1);
    const int r = data.addRelease(0, 0);
    data.addTags(r, 2, {{1, 0, 1}, {2, 0, 2}});
    data.addTags(r, 1, {});
    data.addTags(r, 1, {{1, 0, 1}});
    data.update();

    EXPECT_EQ(written(data.counts), QStringLiteral("1 3 1\n"
                                                   "0\n"
                                                   "0\n"
                                                   "4\n"
                                                   "\n"
                                                   "1\n" // never seen
                                                   "3\n" // first seen at site 1
                                                   "0\n" // first seen at the final site
                                                   "1\n" // seen at site 1, not again
                                                   "2 \n"));
}

TEST(NextDetectionsFile, ReadingWhatWasWrittenGivesTheSameCounts)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        const int S = std::uniform_int_distribution<int>(2, 6)(rng);
        const int Y = std::uniform_int_distribution<int>(1, 3)(rng);
        HistoryData data(S, Y);
        const int releases = std::uniform_int_distribution<int>(1, 3)(rng);
        for (int k = 0; k < releases; ++k) {
            const int relSite = std::uniform_int_distribution<int>(0, S - 2)(rng);
            const int relYear = std::uniform_int_distribution<int>(0, Y - 1)(rng);
            const int r = data.addRelease(relSite, relYear);
            for (int t = 0; t < 20; ++t)
                data.sequences.addTag(r, QStringLiteral("%1-%2").arg(r).arg(t),
                                      randomHistory(rng, S, Y, relSite, relYear));
        }
        data.update();
        const QString text = written(data.counts);
        Loaded loaded(text);
        SCOPED_TRACE(text.toStdString());

        // The layout and the reading are pinned by hand-written files; here every table of
        // random data must survive the trip.
        ASSERT_EQ(loaded.releases.ids(), data.releases.ids());
        EXPECT_EQ(written(loaded.counts), text);
    }
}

// The file holds only next detections; the pooled tables derived from them must be those the
// histories give.
TEST(NextDetectionsFile, AFileSourceDerivesThePooledTablesOfTheHistories)
{
    HistoryData data(5, 2);
    const int a = data.addRelease(0, 0);
    const int b = data.addRelease(1, 1);
    data.addTags(a, 3, {{1, 0, 1}, {3, 1, 1}, {4, 1, 1}});
    data.addTags(a, 2, {{2, 0, 1}});
    data.addTags(a, 5, {{1, 0, 1}, {2, 0, 2}});
    data.addTags(a, 1, {{3, 0, 2}});
    data.addTags(b, 4, {{2, 1, 1}, {4, 1, 1}});
    data.addTags(b, 2, {{3, 1, 2}});
    data.update();
    Loaded loaded(written(data.counts));

    ASSERT_GT(data.counts.totalRemovals(2, 0), 0);
    for (int s = 1; s < 5; ++s)
        for (int y = 0; y < 2; ++y) {
            SCOPED_TRACE(testing::Message() << "site " << s << ", year " << y);
            EXPECT_EQ(loaded.counts.totalDetections(s, y), data.counts.totalDetections(s, y));
            EXPECT_EQ(loaded.counts.totalRemovals(s, y), data.counts.totalRemovals(s, y));
            for (const int r : {a, b}) {
                EXPECT_EQ(loaded.counts.releaseDetections(ReleaseId{r}, s, y),
                          data.counts.releaseDetections(ReleaseId{r}, s, y));
                EXPECT_EQ(loaded.counts.releaseRemovals(ReleaseId{r}, s, y),
                          data.counts.releaseRemovals(ReleaseId{r}, s, y));
            }
            for (int p = 0; p < 2; ++p) {
                EXPECT_EQ(loaded.counts.releaseYearFirstDetections(p, s, y),
                          data.counts.releaseYearFirstDetections(p, s, y));
                EXPECT_EQ(loaded.counts.releaseSiteFirstDetections(p, s, y),
                          data.counts.releaseSiteFirstDetections(p, s, y));
            }
        }
}

TEST(NextDetectionsFile, CommentsAndLayoutDoNotMatter)
{
    Loaded loaded(QStringLiteral("# simulated\n1 3 1 # releases sites years\n0 0\t4\n"
                                 "\n1 3 0 1\n2#last\n"));
    EXPECT_EQ(loaded.counts.releaseNotSeen(ReleaseId{0}), 1);
    EXPECT_EQ(loaded.counts.releaseNextCounts(ReleaseId{0}).count(1, 0), 3);
    EXPECT_EQ(loaded.counts.notSeenAgain(ReleaseId{0}, 1, 0), 1);
    EXPECT_EQ(loaded.counts.nextCounts(ReleaseId{0}, 1, 0).count(2, 0), 2);
}

// What the user is told: the message, and the line and column of the offending word.
TEST(NextDetectionsFile, RefusesMalformedOrImpossibleCountsAtTheirPosition)
{
    const lum::ParseError word =
        parseErrorOf(QStringLiteral("1 3 1\n0\n0\n4\n\n1\n3\n  zero\n1\n2\n"));
    EXPECT_EQ(word.token(), QStringLiteral("zero"));
    EXPECT_EQ(word.text(), QStringLiteral("integer expected at line 8, column 3"));

    const struct
    {
        const char* text;
        const char* message;
        int line; // 0: not checked
        int column;
    } cases[] = {
        {"1 3 1\n0\n0\n4\n\n1\n3\n0\n1\n2.5\n", "integer expected", 10, 1},
        {"1 3 0x1\n", "integer expected", 1, 5},
        {"1 3 1\n0\n0\n4\n\n1\n3\n", "integer expected", 0, 0}, // ends early
        {"1 3 1\n0\n0\n4\n\n1\n-3\n0\n1\n2\n", "value out of range", 7, 1},
        {"1 3 1\n3\n0\n4\n", "value out of range", 2, 1}, // no such release site
        {"1 3 1\n0\n1\n4\n", "value out of range", 3, 1}, // no such release year
        {"1 1001 1\n", "value out of range", 0, 0},
    };
    for (const auto& c : cases) {
        const lum::ParseError e = parseErrorOf(QString::fromLatin1(c.text));
        EXPECT_EQ(e.message(), QString::fromLatin1(c.message)) << c.text;
        if (c.line > 0) {
            EXPECT_EQ(e.line(), c.line) << c.text;
            EXPECT_EQ(e.column(), c.column) << c.text;
        }
    }
    EXPECT_TRUE(parseErrorOf(QStringLiteral("1 3 1\n0\n0\n4\n\n1\n3\n")).token().isEmpty());
}

} // namespace
