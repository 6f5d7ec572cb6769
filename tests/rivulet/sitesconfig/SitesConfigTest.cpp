#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigCatalog.h"
#include "rivulet/sitesconfig/SitesConfigDates.h"

#include "SitesConfigFiles.h"
#include "common/TestEnvironment.h"

#include <QDateTime>
#include <QTextStream>

#include <gtest/gtest.h>

#include <algorithm>

using namespace rivulet;
using test::TestEnvironment;

namespace {

const char* const sampleConfig = R"(# Sites of the lower river, for tests
configDate: 2012.3.4
CONFIGDATE: 2012.3.4

RELSITE: CLWR   # hatchery release
NAME: Clearwater River
RIVERK: 522.224
RELSITE:	SALR
RIVERK: 522.303.100

SITE: LGR
SHORTNAME: Granite
NAME: Lower   Granite	Dam
RIVERK: 522.173-10
INDICATOR: main
CODES: GRJ GRX

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

QString writeConfig(const QByteArray& content)
{
    const QString path = TestEnvironment::freshDir("sites") + "/sites_config.txt";
    test::writeFile(path, content);
    return path;
}

double at(const char* detectionTime)
{
    return *SitesConfigDates::detectionTime(QString::fromLatin1(detectionTime));
}

constexpr double secondTolerance = 0.1 / 86400.0;

double midnightOf(const QDate& date)
{
    return static_cast<double>(date.toJulianDay()) - 0.5;
}

SiteRecord site(const char* name, const char* km, bool release, int index)
{
    SiteRecord record;
    record.name = name;
    record.riverKm = km;
    record.isRelease = release;
    record.index = index;
    return record;
}

class SitesConfigSample : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(config.load(writeConfig(sampleConfig))); }

    SitesConfig config;
};

} // namespace

TEST_F(SitesConfigSample, ReadsSitesInFileOrderAndFindsThemByIdentifierLongNameOrCode)
{
    EXPECT_TRUE(config.messages().isEmpty()) << config.messages().join('\n').toStdString();

    ASSERT_EQ(config.releaseSites().size(), 2u);
    EXPECT_EQ(config.releaseSites()[0]->name, "CLWR"); // the comment is not part of the name
    EXPECT_EQ(config.releaseSites()[1]->name, "SALR"); // a tab separates words too

    ASSERT_EQ(config.detectionSites().size(), 2u);
    const SiteRecord& lgr = *config.detectionSites()[0];
    EXPECT_EQ(lgr.shortName, "Granite");
    EXPECT_EQ(lgr.longName, "Lower Granite Dam");
    EXPECT_EQ(lgr.codes, QStringList({"GRJ", "GRX"}));
    EXPECT_EQ(config.detectionSites()[1]->type, "estuary");

    // Found by identifier, long name or code; short names do not count.
    EXPECT_EQ(config.findDetectionSite("LGR"), config.detectionSites()[0].get());
    EXPECT_EQ(config.findDetectionSite("Lower Granite Dam"), config.detectionSites()[0].get());
    EXPECT_EQ(config.findDetectionSite("Granite"), nullptr);
    EXPECT_EQ(config.findDetectionSite(" GRX\t"), config.detectionSites()[0].get());
    EXPECT_EQ(config.findReleaseSite("Clearwater River"), config.releaseSites()[0].get());
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
        {"rule text with commas read as blanks", "GRJ", "11 12", "2006-05-01 10:00:00", CategoryS},
        {"commas are not in the rule text", "GRJ", "11,12", "2006-05-01 10:00:00", CategoryOther},
        // Coils compare as hexadecimal numbers: "1A" and "01A" are both 26.
        {"hex 1A", "GRJ", "1A", "2006-05-01 10:00:00", CategoryT},
        {"not a number: 0x1A", "GRJ", "0x1A", "2006-05-01 10:00:00", CategoryOther},
        // Ranges cover their dates; "present" leaves the range open.
        // The first range ends on 31 December 2009 at 23:59:50; the second starts at
        // midnight, so the last seconds of 2009 fall between them.
        {"first range end", "B2J", "1A", "2009-12-31 23:59:50", CategoryB},
        {"between ranges", "B2J", "1A", "2009-12-31 23:59:55", CategoryOther},
        // Exceptions override the range within their dates; other coils still follow it.
        {"exception end", "GRJ", "01", "2008-03-05 23:59:50", CategoryH},
        {"after the exception", "GRJ", "01", "2008-03-05 23:59:55", CategoryR},
        {"coil outside the exception", "GRJ", "0A", "2008-03-03 12:00:00", CategoryT},
        // Code ALL sends every coil on down the river.
        {"ALL, any coil", "ALL", "anything", "1990-01-01 00:00:00", CategoryR},
    };
    for (const Case& c : cases)
        EXPECT_EQ(config.classify(c.code, c.coil, at(c.time)), c.expected) << c.why;
}

TEST(SitesConfig, PrecedenceOfExceptionsRangesAndCategories)
{
    SitesConfig config;
    // An exception listing the coil beats an earlier one naming it in its text; only the first
    // range covering the time counts.
    ASSERT_TRUE(
        config.load(writeConfig("SITE: A\nCODE: A1\n"
                                "RANGE: 2000-01-01 present\nT: J: 1: any {0C}\n"
                                "EXCEPTION: 2001-01-01 2001-12-31 {S:J:1:0C{}}\n"
                                "EXCEPTION: 2001-01-01 2001-12-31 {R:J:2:other{0C}}\n"
                                "EXCEPTION: 2001-01-01 2001-12-31 {B:J:3:0D{}}\n"
                                "CODE: A2\n"
                                "RANGE: 2000-01-01 present\nT: J: 1: any {01}\n"
                                "RANGE: 2005-01-01 present\nR: J: 1: any {01 02}\n"
                                "CODE: A3\nRANGE: 2000-01-01 present\nU: x: 1: any stage {05}\n")));
    EXPECT_EQ(config.classify("A1", "0C", at("2001-06-01 00:00:00")), CategoryR);
    EXPECT_EQ(config.classify("A1", "0D", at("2001-06-01 00:00:00")), CategoryB);
    EXPECT_EQ(config.classify("A1", "0C", at("2002-06-01 00:00:00")), CategoryT);
    EXPECT_EQ(config.classify("A2", "01", at("2006-01-01 00:00:00")), CategoryT);
    EXPECT_EQ(config.classify("A3", "05", at("2006-01-01 00:00:00")), CategoryU);
    // Only fish going on down the river (R, B) count as released again.
    for (const int category :
         {CategoryH, CategoryR, CategoryS, CategoryT, CategoryU, CategoryB, CategoryOther})
        EXPECT_EQ(SitesConfig::dispositionOf(category),
                  category == CategoryR || category == CategoryB ? 1 : 2)
            << category;
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
    const QString path = writeConfig("NAME: Orphan\n"                         // 1
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
                                     "CODE: B1\nT: J: 1: lost {02}\n");       // 14, 15
    ASSERT_TRUE(config.load(path));
    QStringList expected = {
        "NAME: before any SITE: or RELSITE: at line 1",
        "R: before any RANGE: at line 4",
        "Missing argument for RANGE: at line 6",
        "Invalid date \"2000-02-30\" in RANGE: at line 7",
        "R: before any RANGE: at line 8",
        "Incomplete rule in R: at line 10",
        "Incomplete rule in EXCEPTION: at line 12",
        "Invalid date \"soon\" in EXCEPTION: at line 13",
        "T: before any RANGE: at line 15",
    };
    for (QString& message : expected)
        message += " of \"" + path + "\"";
    EXPECT_EQ(config.messages(), expected);
    // What was sound is kept; nothing lands in the wrong place.
    EXPECT_TRUE(config.isLoaded());
    ASSERT_EQ(config.codes().size(), 2u);
    ASSERT_EQ(config.codes()[0]->ranges.size(), 1u);
    ASSERT_EQ(config.codes()[0]->ranges[0]->rules.size(), 1u);
    EXPECT_EQ(config.codes()[0]->ranges[0]->rules[0].text, "kept");
    EXPECT_TRUE(config.codes()[0]->exceptions.empty());
    EXPECT_TRUE(config.codes()[1]->ranges.empty());
}

// Two dams under one short name had their detections merged into one site; a river km or a
// file that cannot be read gave no word. Each makes the file unusable, naming file and line.
TEST(SitesConfig, FilesThatWouldPlaceSitesWronglyAreRefused)
{
    SitesConfig config;
    const QString same = writeConfig("SITE: LGR\nSHORTNAME: DAM\nRIVERK: 522.173\nCODES: GRJ\n"
                                     "SITE: LGS\nSHORTNAME: DAM\nRIVERK: 522.113\n");
    EXPECT_FALSE(config.load(same));
    EXPECT_FALSE(config.isLoaded());
    EXPECT_EQ(
        config.errors(),
        QStringList({"The detection sites \"LGR\" (line 1) and \"LGS\" (line 5) of \"" + same +
                     "\" have the same short name \"DAM\"; give each its own "
                     "SHORTNAME:"}));
    const QString badKm = writeConfig("SITE: A\nRIVERK: abc\n");
    EXPECT_FALSE(config.load(badKm));
    EXPECT_EQ(config.errors(),
              QStringList({"Invalid river km \"abc\" in RIVERK: (expected whole numbers joined "
                           "by \".\", such as 522.303.100) at line 2 of \"" +
                           badKm + "\""}));
    QByteArray utf16("\xFF\xFE");
    for (const char c : QByteArray("SITE: A\nRIVERK: 461\n"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    EXPECT_FALSE(config.load(writeConfig(utf16)));
    ASSERT_FALSE(config.errors().isEmpty());
    EXPECT_TRUE(config.errors().first().startsWith("NUL byte: expected a text file"));
    EXPECT_TRUE(config.load(writeConfig("SITE: A\nRIVERK: 461-12.3\nSITE: B\nRIVERK: 234\n")));
}

TEST(SitesConfig, AMissingFileOrAFolderLeavesTheConfigurationEmpty)
{
    SitesConfig config;
    ASSERT_TRUE(config.load(writeConfig(sampleConfig)));

    const QString missing = TestEnvironment::freshDir("sites") + "/none.txt";
    EXPECT_FALSE(config.load(missing));
    EXPECT_FALSE(config.isLoaded());
    EXPECT_TRUE(config.codes().empty());
    EXPECT_EQ(config.configDate(), "??");
    EXPECT_EQ(config.messages(), QStringList({"Unable to open file \"" + missing + "\""}));
    // A folder is refused, not read as an empty configuration.
    const QString folder = TestEnvironment::freshDir("sites-folder");
    EXPECT_FALSE(config.load(folder));
    EXPECT_EQ(config.messages(),
              QStringList({"Unable to open file \"" + folder + "\": it is a folder"}));
}

// Thousands of blanks between words once made the trimming pattern give up and end the program.
TEST(SitesConfig, LongRunsOfBlanksAreReadLikeOne)
{
    const std::string blanks(14000, ' ');
    const std::string text = "SITE:" + blanks + "A\nNAME:\t" + blanks + "Long" + blanks + "Name" +
                             blanks + "\n" + blanks + "\n";
    SitesConfig config;
    ASSERT_TRUE(config.load(writeConfig(text.c_str())));
    EXPECT_TRUE(config.messages().isEmpty()) << config.messages().join('\n').toStdString();
    ASSERT_EQ(config.detectionSites().size(), 1u);
    EXPECT_EQ(config.detectionSites()[0]->name, "A");
    EXPECT_EQ(config.detectionSites()[0]->longName, "Long Name");
}

TEST(SitesConfig, DownstreamFollowsTheRiverKmPathAndTheVersionDateIsTheFirstInItsForm)
{
    EXPECT_TRUE(SitesConfig::isDownstream("461", "522.173"));
    EXPECT_TRUE(SitesConfig::isDownstream("522.100", "522.173.10"));
    EXPECT_TRUE(SitesConfig::isDownstream("522.173.5", "522.173.10"));
    EXPECT_FALSE(SitesConfig::isDownstream("522.173", "461"));
    // A site up another tributary, which joins below the release site.
    EXPECT_FALSE(SitesConfig::isDownstream("461.5", "522.173"));
    EXPECT_FALSE(SitesConfig::isDownstream("46l", "522"));

    const auto versionOf = [](QByteArray text) {
        QTextStream stream(&text);
        return SitesConfig::readConfigDate(stream);
    };
    EXPECT_EQ(versionOf("CONFIGDATE: 2012.3.4\nconfigDate: 2012.3.5\n"), QDate(2012, 3, 5));
    EXPECT_EQ(versionOf("# header\n   configDate:\t2012.03.04   \nconfigDate: 2013.1.1\n"),
              QDate(2012, 3, 4));
    EXPECT_FALSE(versionOf("").isValid());
}

TEST(SitesConfigDates, JulianDayNumbersAndLeapDays)
{
    EXPECT_EQ(*SitesConfigDates::julianDayNumber(2000, 1, 1), 2451545);
    // 1900 was a leap year of the Julian calendar only.
    EXPECT_FALSE(SitesConfigDates::julianDayNumber(1900, 2, 29).has_value());
}

TEST(SitesConfigDates, EveryDateFormReadsTheSameDayAndTwoDigitYearsPivotAt81)
{
    for (const char* text : {"2008-03-01", "01-Mar-2008", "1-MAR-2008", "2008.3.1", "3/1/2008",
                             "03/01/08", "20080301"}) {
        const auto date = SitesConfigDates::readDate(QString::fromLatin1(text));
        ASSERT_TRUE(date.has_value()) << text;
        EXPECT_EQ(QDate(date->year, date->month, date->day), QDate(2008, 3, 1)) << text;
    }
    EXPECT_EQ(SitesConfigDates::readDate("12/31/80")->year, 2080);
    EXPECT_EQ(SitesConfigDates::readDate("12/31/81")->year, 1981);
    for (const char* text : {"present", "2008-02-30", "01-Mrz-2008", "2008/3/1", "2008030a"})
        EXPECT_FALSE(SitesConfigDates::readDate(QString::fromLatin1(text)).has_value()) << text;
    for (const char* text : {"2008-03-01+24:00:00", "2008-03-01+06", "2008-03-01+6h"})
        EXPECT_FALSE(SitesConfigDates::rangeEnd(QString::fromLatin1(text)).has_value()) << text;
}

TEST(SitesConfigDates, RangeLimitsDefaultToTheStartAndNearEndOfTheDayPresentIsOpen)
{
    const double day = midnightOf(QDate(2008, 3, 1));
    EXPECT_DOUBLE_EQ(*SitesConfigDates::rangeBegin("2008-03-01"), day);
    EXPECT_DOUBLE_EQ(*SitesConfigDates::rangeBegin("2008-03-01+06:00:00"), day + 0.25);
    // An end without a time stops at 23:59:50, not at 23:59:59.
    EXPECT_NEAR(*SitesConfigDates::rangeEnd("2008-03-01"), day + 86390.0 / 86400.0,
                secondTolerance);
    // "present", whatever its letter case, is an open end, never a beginning.
    EXPECT_EQ(*SitesConfigDates::rangeEnd("Present"), SitesConfigDates::openEnd);
    EXPECT_FALSE(SitesConfigDates::rangeBegin("present").has_value());

    EXPECT_DOUBLE_EQ(*SitesConfigDates::detectionTime("2008-03-01 06:00:00"), day + 0.25);
    EXPECT_DOUBLE_EQ(*SitesConfigDates::detectionTime(QDateTime(QDate(2008, 3, 1), QTime(18, 0))),
                     day + 0.75);
}

TEST(ObsDataLoaderSiteOrder, EverySiteComesBeforeTheSitesDownstreamOfIt)
{
    const std::vector<SiteRecord> sites = {
        site("A", "522.173.10", false, 0), site("B", "522.173", false, 1),
        site("C", "522", false, 2),        site("D", "461", false, 3),
        site("F", "600", false, 5),        site("H", "", false, 7),
        site("I", "5x", false, 8),         site("J", "461", false, 9),
        site("R1", "522.173.50", true, 0), site("R2", "700", true, 1)};
    for (const SiteRecord& a : sites) {
        EXPECT_FALSE(SitesConfigCatalog::placedBefore(a, a)) << qPrintable(a.name);
        for (const SiteRecord& b : sites) {
            if (a.isRelease == b.isRelease && SitesConfig::isDownstream(b, a)) {
                EXPECT_TRUE(SitesConfigCatalog::placedBefore(a, b))
                    << qPrintable(a.name) << " before " << qPrintable(b.name);
            }
        }
    }
    // Release sites first; sites without a usable river-km last; equal positions in file order.
    std::vector<SiteRecord> sorted = sites;
    std::sort(sorted.begin(), sorted.end(), SitesConfigCatalog::placedBefore);
    QStringList names;
    for (const SiteRecord& s : sorted)
        names << s.name;
    EXPECT_EQ(names, QStringList({"R2", "R1", "F", "A", "B", "C", "D", "J", "H", "I"}));
}

TEST(ObsDataLoaderSiteOrder, OrdersTheCodesOfAStudyFromTheConfiguration)
{
    SitesConfig config;
    ASSERT_TRUE(config.load(writeConfig("RELSITE: DAM\nRIVERK: 522.100\nSITE: BON\nRIVERK: 234\n"
                                        "SITE: DAM\nRIVERK: 461\n"
                                        "SITE: LGR\nNAME: Lower Granite\nRIVERK: 522\n")));
    const SitesConfigCatalog catalog(config);
    // A code that is both a detection and a release site is taken as the detection site;
    // long names and unknown codes are not identifiers.
    EXPECT_EQ(catalog.downstreamOrder({"BON", "Lower Granite", "DAM", "LGR", "XYZ", "LGR"}),
              QStringList({"LGR", "DAM", "BON"}));
}
