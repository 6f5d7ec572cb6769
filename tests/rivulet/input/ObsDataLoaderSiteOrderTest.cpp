#include "rivulet/input/SitesConfig.h"
#include "rivulet/input/SitesConfigCatalog.h"

#include "common/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

namespace rivulet {
namespace {

SiteRecord site(const char* name, const char* km, bool release = false, int index = 0)
{
    SiteRecord record;
    record.name = name;
    record.riverKm = km;
    record.isRelease = release;
    record.index = index;
    return record;
}

TEST(ObsDataLoaderSiteOrder, EverySiteComesBeforeTheSitesDownstreamOfIt)
{
    const std::vector<SiteRecord> sites = {
        site("A", "522.173.10", false, 0), site("B", "522.173", false, 1),
        site("C", "522", false, 2),        site("D", "461", false, 3),
        site("E", "522.200", false, 4),    site("F", "600", false, 5),
        site("G", "522.100", false, 6),    site("H", "", false, 7),
        site("I", "5x", false, 8),         site("J", "461", false, 9),
        site("R1", "522.173.50", true, 0), site("R2", "700", true, 1)};
    for (const SiteRecord& a : sites) {
        EXPECT_FALSE(SitesConfigCatalog::placedBefore(a, a)) << qPrintable(a.name);
        for (const SiteRecord& b : sites) {
            if (a.isRelease == b.isRelease && SitesConfig::isDownstream(b, a)) {
                EXPECT_TRUE(SitesConfigCatalog::placedBefore(a, b))
                    << qPrintable(a.name) << " before " << qPrintable(b.name);
            }
            if (SitesConfigCatalog::placedBefore(a, b)) {
                EXPECT_FALSE(SitesConfigCatalog::placedBefore(b, a));
            }
        }
    }
    // Release sites first; sites without a usable river-km last; equal positions in file order.
    std::vector<SiteRecord> sorted = sites;
    std::sort(sorted.begin(), sorted.end(), SitesConfigCatalog::placedBefore);
    QStringList names;
    for (const SiteRecord& s : sorted)
        names << s.name;
    EXPECT_EQ(names, QStringList({"R2", "R1", "F", "E", "A", "B", "G", "C", "D", "J", "H", "I"}));
}

TEST(ObsDataLoaderSiteOrder, OrdersTheCodesOfAStudyFromTheConfiguration)
{
    const QString path = test::TestEnvironment::freshDir("site-order") + "/sites.txt";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("RELSITE: DAM\nRIVERK: 522.100\n"
               "SITE: BON\nRIVERK: 234\n"
               "SITE: DAM\nRIVERK: 461\n"
               "SITE: LGR\nNAME: Lower Granite\nRIVERK: 522\n");
    file.close();
    SitesConfig config;
    ASSERT_TRUE(config.load(path));
    const SitesConfigCatalog catalog(config);
    // A code that is both a detection and a release site is taken as the detection site;
    // long names and unknown codes are not identifiers.
    EXPECT_EQ(catalog.downstreamOrder({"BON", "Lower Granite", "DAM", "LGR", "XYZ", "LGR"}),
              QStringList({"LGR", "DAM", "BON"}));
}

} // namespace
} // namespace rivulet
