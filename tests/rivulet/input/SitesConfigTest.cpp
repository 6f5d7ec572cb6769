#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigDates.h"

#include "common/TestEnvironment.h"

#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

using rivulet::CategoryB;
using rivulet::CategoryH;
using rivulet::CategoryOther;
using rivulet::CategoryR;
using rivulet::CategoryS;
using rivulet::CategoryT;
using rivulet::CategoryU;
using rivulet::SiteRecord;
using rivulet::SitesConfig;
using rivulet::SitesConfigDates;
using rivulet::test::TestEnvironment;

namespace {

const char* const sampleConfig = R"(# Sites of the lower river, for tests
configDate: 2012.3.4
CONFIGDATE: 2012.3.4
PTAGISDATE: 2012-03-01

RELSITE: CLWR   # hatchery release
NAME: Clearwater River
RIVERK: 522.224
RELSITE:	SALR
RIVERK: 522.303.100

SITE: LGR
SHORTNAME: Granite
NAME: Lower   Granite	Dam
RIVERK: 522.173-10
HUC: 17060103
INDICATOR: main
CODES: GRJ GRX
STAGE: J A

SITE: BON
NAME: Bonneville Dam
RIVERK: 234
TYPE: estuary
CODES: B2J

CODE: GRJ
RANGE: 2005-01-01 present
R: J: 1: Return to river {01 02 03}
T: J: 2: Transport {0A 0B 01A}
S: J: 3: 11,12 {}
EXCEPTION: 2008-03-01 2008-03-05 {H:J:4:Held{01}}
CODE: B2J
RANGE: 01-Jan-2000 12/31/2009
B: J: 1: Bypass {1A 1B}
RANGE: 2010.1.1 present
R: J: 1: River {1A}
CODE: ALL
)";

QString writeConfig(const QByteArray& content, const QString& name = "sites_config.txt")
{
    const QString path = TestEnvironment::freshDir("sites") + "/" + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

double at(const char* detectionTime)
{
    return *SitesConfigDates::detectionTime(QString::fromLatin1(detectionTime));
}

class SitesConfigSample : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(config.load(writeConfig(sampleConfig))); }

    SitesConfig config;
};

} // namespace

TEST_F(SitesConfigSample, ReadsSitesInFileOrder)
{
    EXPECT_TRUE(config.messages().isEmpty()) << config.messages().join('\n').toStdString();
    EXPECT_EQ(config.configDate(), "2012.3.4");
    EXPECT_EQ(config.ptagisDate(), "2012-03-01");

    ASSERT_EQ(config.releaseSites().size(), 2u);
    const SiteRecord& clwr = *config.releaseSites()[0];
    EXPECT_EQ(clwr.name, "CLWR"); // the comment is not part of the identifier
    EXPECT_EQ(clwr.shortName, "CLWR");
    EXPECT_EQ(clwr.longName, "Clearwater River");
    EXPECT_EQ(clwr.type, "dam");
    EXPECT_EQ(config.releaseSites()[1]->name, "SALR"); // a tab separates words too

    ASSERT_EQ(config.detectionSites().size(), 2u);
    const SiteRecord& lgr = *config.detectionSites()[0];
    EXPECT_EQ(lgr.shortName, "Granite");
    EXPECT_EQ(lgr.longName, "Lower Granite Dam");
    EXPECT_EQ(lgr.riverKm, "522.173");
    EXPECT_EQ(lgr.riverKmAlt, "10");
    EXPECT_EQ(lgr.codes, QStringList({"GRJ", "GRX"}));
    const SiteRecord& bon = *config.detectionSites()[1];
    EXPECT_EQ(bon.index, 1);
    EXPECT_TRUE(bon.riverKmAlt.isEmpty());
    EXPECT_EQ(bon.type, "estuary");
    EXPECT_EQ(config.codes().size(), 3u);
}

TEST_F(SitesConfigSample, FindsSitesByIdentifierLongNameOrCode)
{
    EXPECT_EQ(config.findDetectionSite("LGR"), config.detectionSites()[0].get());
    EXPECT_EQ(config.findDetectionSite("Lower Granite Dam"), config.detectionSites()[0].get());
    EXPECT_EQ(config.findDetectionSite(" GRX\t"), config.detectionSites()[0].get());
    EXPECT_EQ(config.findDetectionSite("B2J"), config.detectionSites()[1].get());
    EXPECT_EQ(config.findDetectionSite("Granite"), nullptr); // short names do not count
    EXPECT_EQ(config.findDetectionSite("CLWR"), nullptr);    // a release site
    EXPECT_EQ(config.findReleaseSite("Clearwater River"), config.releaseSites()[0].get());
    EXPECT_EQ(config.findReleaseSite("SALR"), config.releaseSites()[1].get());
    EXPECT_EQ(config.findReleaseSite("LGR"), nullptr);
}

TEST_F(SitesConfigSample, ClassifiesByCodeCoilAndDetectionTime)
{
    struct Case
    {
        const char* why;
        const char* code;
        const char* coil;
        const char* time;
        int expected;
    };
    const Case cases[] = {
        {"coil list", "GRJ", "02", "2006-05-01 10:00:00", CategoryR},
        {"coil list, padded", " GRJ ", " 0B ", "2006-05-01 10:00:00", CategoryT},
        {"rule text with commas read as blanks", "GRJ", "11 12", "2006-05-01 10:00:00", CategoryS},
        {"commas are not in the rule text", "GRJ", "11,12", "2006-05-01 10:00:00", CategoryOther},
        {"rule text", "GRJ", "Return to river", "2006-05-01 10:00:00", CategoryR},
        {"unlisted coil", "GRJ", "99", "2006-05-01 10:00:00", CategoryOther},
        {"unknown code", "XYZ", "01", "2006-05-01 10:00:00", CategoryOther},
        // Coils compare as hexadecimal numbers: "1A" and "01A" are both 26.
        {"hex 1A", "GRJ", "1A", "2006-05-01 10:00:00", CategoryT},
        {"hex 1", "GRJ", "1", "2006-05-01 10:00:00", CategoryR},
        {"hex 001", "GRJ", "001", "2006-05-01 10:00:00", CategoryR},
        {"not a number: 0x1A", "GRJ", "0x1A", "2006-05-01 10:00:00", CategoryOther},
        {"not a number: 1G", "GRJ", "1G", "2006-05-01 10:00:00", CategoryOther},
        // Ranges cover their dates; "present" leaves the range open.
        {"before the range", "GRJ", "01", "2004-12-31 23:59:59", CategoryOther},
        {"range start", "GRJ", "01", "2005-01-01 00:00:00", CategoryR},
        {"open range", "GRJ", "01", "2150-06-01 12:00:00", CategoryR},
        // The first range ends on 31 December 2009 at 23:59:50; the second starts at
        // midnight, so the last seconds of 2009 fall between them.
        {"first range end", "B2J", "1A", "2009-12-31 23:59:50", CategoryB},
        {"between ranges", "B2J", "1A", "2009-12-31 23:59:55", CategoryOther},
        {"second range", "B2J", "1A", "2010-01-01 00:00:00", CategoryR},
        {"not in the second range", "B2J", "1B", "2010-01-01 00:00:00", CategoryOther},
        // Exceptions override the range within their dates; other coils still follow it.
        {"before the exception", "GRJ", "01", "2008-02-29 23:59:59", CategoryR},
        {"exception start", "GRJ", "01", "2008-03-01 00:00:00", CategoryH},
        {"within the exception", "GRJ", "1", "2008-03-03 12:00:00", CategoryH},
        {"exception end", "GRJ", "01", "2008-03-05 23:59:50", CategoryH},
        {"after the exception", "GRJ", "01", "2008-03-05 23:59:55", CategoryR},
        {"coil outside the exception", "GRJ", "0A", "2008-03-03 12:00:00", CategoryT},
        // Code ALL sends every coil on down the river.
        {"ALL, any coil", "ALL", "anything", "1990-01-01 00:00:00", CategoryR},
        {"ALL, no coil", "ALL", "", "2150-01-01 00:00:00", CategoryR},
    };
    for (const Case& c : cases)
        EXPECT_EQ(config.classify(c.code, c.coil, at(c.time)), c.expected) << c.why;
}

TEST(SitesConfig, PrecedenceOfExceptionsRangesAndCategories)
{
    SitesConfig config;
    // An exception listing the coil beats an earlier one naming it in its text; only the first
    // range covering the time counts.
    ASSERT_TRUE(config.load(writeConfig("SITE: A\nCODE: A1\n"
                                        "RANGE: 2000-01-01 present\nT: J: 1: any {0C}\n"
                                        "EXCEPTION: 2001-01-01 2001-12-31 {S:J:1:0C{}}\n"
                                        "EXCEPTION: 2001-01-01 2001-12-31 {R:J:2:other{0C}}\n"
                                        "EXCEPTION: 2001-01-01 2001-12-31 {B:J:3:0D{}}\n"
                                        "CODE: A2\n"
                                        "RANGE: 2000-01-01 present\nT: J: 1: any {01}\n"
                                        "RANGE: 2005-01-01 present\nR: J: 1: any {01 02}\n"
                                        "CODE: A3\nRANGE: 2000-01-01 present\n"
                                        "H: A: 1: h {01}\nR: a: 1: r {02}\nS: J: 1: s {03}\n"
                                        "T: j: 1: t {04}\nU: X: 1: u {05}\nB: J: 1: b {06}\n")));
    EXPECT_EQ(config.classify("A1", "0C", at("2001-06-01 00:00:00")), CategoryR);
    EXPECT_EQ(config.classify("A1", "0D", at("2001-06-01 00:00:00")), CategoryB);
    EXPECT_EQ(config.classify("A1", "0C", at("2002-06-01 00:00:00")), CategoryT);
    EXPECT_EQ(config.classify("A2", "01", at("2006-01-01 00:00:00")), CategoryT);
    EXPECT_EQ(config.classify("A2", "02", at("2006-01-01 00:00:00")), CategoryOther);
    const int categories[] = {CategoryH, CategoryR, CategoryS, CategoryT, CategoryU, CategoryB};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(config.classify("A3", QString::number(i + 1), at("2006-01-01 00:00:00")),
                  categories[i])
            << i;
    // Only fish going on down the river (R, B) count as released again.
    EXPECT_EQ(SitesConfig::dispositionOf(CategoryR), 1);
    EXPECT_EQ(SitesConfig::dispositionOf(CategoryB), 1);
    for (const int category : {CategoryH, CategoryS, CategoryT, CategoryU, CategoryOther})
        EXPECT_EQ(SitesConfig::dispositionOf(category), 2) << category;
}

TEST(SitesConfig, KeywordsMustMatchExactlyWhateverTheLineEndsAndSpaces)
{
    SitesConfig config;
    ASSERT_TRUE(config.load(writeConfig("site: LOWER\nSITE:NOSPACE\nSite: MIXED\n"
                                        "  SITE: REAL extra words  # first\r\n"
                                        "Name: Not Taken\nNAME:Glued\nSHORTNAME: short other\n"
                                        "\tRIVERK: 461\r\n# SITE: COMMENTED\n"
                                        "   # SITE: INDENTED COMMENT\n\n \t \nCODE: A1\r\n"
                                        "RANGE: 2000-01-01 present\r\nR: J: 1: x {01}\r\n")));
    ASSERT_EQ(config.detectionSites().size(), 1u);
    EXPECT_EQ(config.detectionSites()[0]->name, "REAL");
    EXPECT_EQ(config.detectionSites()[0]->longName, "REAL");
    EXPECT_EQ(config.detectionSites()[0]->shortName, "short");
    EXPECT_EQ(config.detectionSites()[0]->riverKm, "461");
    EXPECT_EQ(config.classify("A1", "01", at("2001-01-01 00:00:00")), CategoryR);
    EXPECT_TRUE(config.messages().isEmpty());
}

TEST(SitesConfig, ReportsAndSkipsMalformedLines)
{
    SitesConfig config;
    ASSERT_TRUE(config.load(writeConfig("NAME: Orphan\n"                         // 1
                                        "SITE: A\nCODES:\n"                      // 2, 3
                                        "R: J: 1: x {01}\n"                      // 4
                                        "CODE: A1\nRANGE: 2000-01-01\n"          // 5, 6
                                        "RANGE: 2000-02-30 present\n"            // 7
                                        "R: J: 1: x {01}\n"                      // 8
                                        "RANGE: 2000-01-01 present\n"            // 9
                                        "R: J: 1\n"                              // 10
                                        "R: J: 1: kept {01}\n"                   // 11
                                        "EXCEPTION: 2001-01-01 2001-01-02\n"     // 12
                                        "EXCEPTION: 2001-01-01 soon {H:J:1:x}\n" // 13
                                        "CODE: B1\nT: J: 1: lost {02}\n"         // 14, 15
                                        "CONFIGDATE:\nSITE:\n")));               // 16, 17
    const QStringList expected = {
        "NAME: before any SITE: or RELSITE: at line 1",
        "R: before any RANGE: at line 4",
        "Missing argument for RANGE: at line 6",
        "Invalid date \"2000-02-30\" in RANGE: at line 7",
        "R: before any RANGE: at line 8",
        "Incomplete rule in R: at line 10",
        "Incomplete rule in EXCEPTION: at line 12",
        "Invalid date \"soon\" in EXCEPTION: at line 13",
        "T: before any RANGE: at line 15",
        "Missing argument for CONFIGDATE: at line 16",
        "Missing argument for SITE: at line 17",
    };
    EXPECT_EQ(config.messages(), expected);
    // What was sound is kept; nothing lands in the wrong place.
    EXPECT_TRUE(config.isLoaded());
    EXPECT_EQ(config.configDate(), "??");
    ASSERT_EQ(config.codes().size(), 2u);
    ASSERT_EQ(config.codes()[0]->ranges.size(), 1u);
    ASSERT_EQ(config.codes()[0]->ranges[0]->rules.size(), 1u);
    EXPECT_EQ(config.codes()[0]->ranges[0]->rules[0].text, "kept");
    EXPECT_TRUE(config.codes()[0]->exceptions.empty());
    EXPECT_TRUE(config.codes()[1]->ranges.empty());
}

TEST(SitesConfig, LoadReplacesAndAMissingFileLeavesTheConfigurationEmpty)
{
    SitesConfig config;
    const QString path = writeConfig(sampleConfig);
    ASSERT_TRUE(config.load(path));
    ASSERT_TRUE(config.load(path));
    EXPECT_EQ(config.detectionSites().size(), 2u);
    EXPECT_EQ(config.codes().size(), 3u);

    const QString missing = TestEnvironment::freshDir("sites") + "/none.txt";
    EXPECT_FALSE(config.load(missing));
    EXPECT_FALSE(config.isLoaded());
    EXPECT_TRUE(config.releaseSites().empty());
    EXPECT_TRUE(config.codes().empty());
    EXPECT_EQ(config.configDate(), "??");
    EXPECT_EQ(config.findReleaseSite("CLWR"), nullptr);
    EXPECT_EQ(config.messages(), QStringList({"Unable to open file \"" + missing + "\""}));
}

TEST(SitesConfig, DownstreamFollowsTheRiverKmPath)
{
    struct Case
    {
        const char* detection;
        const char* release;
        bool downstream;
    };
    const Case cases[] = {
        {"461", "522.173", true},
        {"522", "522.173.10", true},
        {"522.100", "522.173.10", true},
        {"522.200", "522.173.10", false},
        {"600", "522.173.10", false},
        {"522.173", "461", false},
        {"522.173", "522.173", false},
        {"522.173.10", "522.173", false},
        {"522.173", "522.173.10", true},
        {"522.173.5", "522.173.10", true},
        {"522.173.20", "522.173.10", false},
        // A site up another tributary, which joins below the release site.
        {"461.5", "522.173", false},
        {"", "522", false},
        {"461", "", false},
        {"46l", "522", false},
        {"461", "522 ", false},
        {"-461", "522", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SitesConfig::isDownstream(c.detection, c.release), c.downstream)
            << c.detection << " below " << c.release;
    }
    // Sites compare by their first river km.
    SiteRecord detection;
    detection.riverKm = "461";
    detection.riverKmAlt = "999";
    SiteRecord release;
    release.riverKm = "522.173";
    EXPECT_TRUE(SitesConfig::isDownstream(detection, release));
    EXPECT_FALSE(SitesConfig::isDownstream(release, detection));
}

TEST(SitesConfig, ReadsTheVersionDate)
{
    struct Case
    {
        const char* text;
        QDate date;
    };
    const Case cases[] = {
        {"CONFIGDATE: 2012.3.4\nconfigDate: 2012.3.5\n", QDate(2012, 3, 5)},
        {"# header\n   configDate:\t2012.03.04   \nconfigDate: 2013.1.1\n", QDate(2012, 3, 4)},
        {"CONFIGDATE: 2012.3.4\nconfigdate: 2012.3.4\n", QDate()},
        {"configDate: 2012-03-04\n", QDate()},
        {"configDate: 2012.13.1\n", QDate()},
        {"configDate:\n", QDate()},
        {"", QDate()},
    };
    for (const Case& c : cases) {
        QByteArray bytes(c.text);
        QTextStream stream(&bytes);
        EXPECT_EQ(SitesConfig::readConfigDate(stream), c.date) << c.text;
    }
}
