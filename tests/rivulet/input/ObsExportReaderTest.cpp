// The export's reader on bytes, with no database behind it.
#include "rivulet/input/ObsExportReader.h"
#include "ObsDataLoaderFixture.h"
#include "rivulet/data/Disposition.h"
#include "rivulet/input/DataFileReader.h"
#include "rivulet/input/ObsRecordSink.h"
#include "rivulet/sitesconfig/SitesConfigRecords.h"

#include <QBuffer>

namespace rivulet::test {
namespace {

// Writes down what it is handed, one line per tag or detection.
class ListingSink : public ObsRecordSink
{
public:
    lum::Expected<TagResult> addTag(std::string_view code, const SiteRecord& releaseSite,
                                    int releaseYear, std::string_view) override
    {
        const QString tag = QString::fromUtf8(code.data(), int(code.size()));
        if (tags.contains(tag))
            return TagDuplicate;
        tags << tag;
        rows << QStringLiteral("%1 from %2 in %3").arg(tag, releaseSite.shortName).arg(releaseYear);
        return TagStored;
    }
    lum::Expected<void> addDetection(std::string_view, const SiteRecord& site, int year,
                                     std::string_view, int disposition) override
    {
        rows << QStringLiteral("  at %1 in %2, %3").arg(site.shortName).arg(year).arg(disposition);
        return {};
    }
    QStringList tags;
    QStringList rows;
};

TEST(ObsExportReader, HandsOnTagsAndDetectionsDownstreamOrRefusesTheRowAndSaysWhere)
{
    SitesConfig config;
    QByteArray configBytes(loaderSitesConfig);
    QBuffer configFile(&configBytes);
    configFile.open(QIODevice::ReadOnly);
    ASSERT_TRUE(config.read(configFile, QStringLiteral("sites.txt")));

    const QByteArray good =
        "# titles\n" + exportRow("T1", "2008-04-01 08:00:00", "UPR") +
        exportRow("T1", "2008-04-01 08:00:00", "UPR", "2008-04-20 10:00:00", "GRJ", "01") +
        exportRow("T2", "2008-04-02 08:00:00", "MIDR", "2009-05-01 10:00:00", "TRP", "A1") +
        exportRow("T2", "2008-04-02 08:00:00", "MIDR", "2009-05-03 10:00:00", "B2J", "01");
    DataFileReader file(good);
    ASSERT_TRUE(file.open());
    ASSERT_EQ(file.survey(), DataFileReader::Text);
    ObsExportReader reader(QStringLiteral("export.csv"), config);
    ListingSink sink;
    ASSERT_EQ(reader.read(file, sink), ObsExportReader::Read)
        << reader.failure().message.toStdString();
    // Returned to the river at the dam, the end of the history at a code without rules; the
    // trap lies above the middle release site, so that detection is dropped.
    EXPECT_EQ(
        sink.rows,
        (QStringList{"T1 from UPR in 2008",
                     QStringLiteral("  at LGR in 2008, %1").arg(int(Disposition::GoesOn)),
                     "T2 from Middle in 2008",
                     QStringLiteral("  at BON in 2009, %1").arg(int(Disposition::EndsHistory))}));
    EXPECT_EQ(reader.counts().rows, 4);
    EXPECT_EQ(reader.counts().droppedDetections, 1);

    const QByteArray early =
        exportRow("T3", "2008-04-01 08:00:00", "UPR") +
        exportRow("T3", "2008-04-01 08:00:00", "UPR", "2008-03-01 10:00:00", "GRJ", "01");
    DataFileReader earlyFile(early);
    ASSERT_TRUE(earlyFile.open());
    ASSERT_EQ(earlyFile.survey(), DataFileReader::Text);
    ListingSink refused;
    EXPECT_EQ(reader.read(earlyFile, refused), ObsExportReader::Failed);
    EXPECT_TRUE(reader.failure().message.startsWith(
        "Detection before the fish's release (2008-04-01 08:00:00); expected an event date after "
        "the release date at line 2 of \"export.csv\": column \"Event Date\""))
        << reader.failure().message.toStdString();
}

} // namespace
} // namespace rivulet::test
