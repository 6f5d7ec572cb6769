#pragma once

#include "ControllerFixture.h"
#include "rivulet/data/DetectionSequenceController.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"

#include <QStringList>

namespace rivulet::test {

// A study written straight into a fresh database: five sites in down-river order (a release
// site, a trap, two dams and the final site), three years and one release at the release
// site in the first year. Tests add tags and detections, change active positions, then read
// the histories through the controllers, as the data updater does.
class DetectionSequenceFixture : public ControllerFixture
{
protected:
    void SetUp() override
    {
        ControllerFixture::SetUp();
        for (int s = 0; s < 5; ++s)
            siteIds << addRow("insert into sites (short_name, long_name, code, sequence, "
                              "active_sequence) values (?, ?, ?, ?, ?)",
                              {siteNames.at(s), siteNames.at(s), siteNames.at(s), s, s});
        for (int y = 0; y < 3; ++y)
            yearIds << addRow("insert into years (year, begin_date, end_date, sequence, "
                              "active_sequence) values (?, ?, ?, ?, ?)",
                              {2008 + y, "", "", y, y});
        release = addRelease(0, 0, 0);
    }

    lum::Expected<void> exec(const QString& sql, const QVariantList& values = {})
    {
        return rdb.database()->exec(sql, values);
    }

    int addRow(const QString& sql, const QVariantList& values)
    {
        EXPECT_TRUE(exec(sql, values)) << sql.toStdString();
        return intAt("select last_insert_rowid()");
    }

    int addRelease(int sitePos, int yearPos, int active)
    {
        return addRow("insert into releases (release_site_id, release_year_id, sequence, "
                      "active_sequence) values (?, ?, ?, ?)",
                      {siteIds.at(sitePos), yearIds.at(yearPos), active, active});
    }

    void addTag(const QString& tag, int releaseId = -1, int cohortId = -1)
    {
        addRow("insert into tags (id, release_id, cohort_id, release_time) values (?, ?, ?, ?)",
               {tag, releaseId < 0 ? release : releaseId, cohortId, "2008-04-01 10:00:00"});
    }

    // A detection of `tag` at the site and year of those sequence numbers.
    void addDetection(const QString& tag, int site, int year, int disposition = 1)
    {
        addRow("insert into observations (tag_id, site_id, migration_year_id, obs_time, "
               "disposition) values (?, ?, ?, ?, ?)",
               {tag, siteIds.at(site), yearIds.at(year), "2008-05-01 10:00:00", disposition});
    }

    void setSiteActive(int site, int active)
    {
        ASSERT_TRUE(
            exec("update sites set active_sequence = ? where id = ?", {active, siteIds.at(site)}));
    }

    void setYearActive(int year, int active)
    {
        ASSERT_TRUE(
            exec("update years set active_sequence = ? where id = ?", {active, yearIds.at(year)}));
    }

    lum::Expected<void> update()
    {
        releases.refresh();
        sites.refresh();
        years.refresh();
        return sequences.update();
    }

    // The release's entries as "tag site/year/disposition", in list order.
    QStringList history(int releaseId = -1) const
    {
        const int id = releaseId < 0 ? release : releaseId;
        const QStringList tags = sequences.tagIds(id);
        const QList<int> s = sequences.sites(id);
        const QList<int> y = sequences.years(id);
        const QList<int> d = sequences.dispositions(id);
        EXPECT_EQ(s.size(), tags.size());
        EXPECT_EQ(y.size(), tags.size());
        EXPECT_EQ(d.size(), tags.size());
        QStringList entries;
        for (int k = 0; k < tags.size() && k < s.size() && k < y.size() && k < d.size(); ++k)
            entries << QStringLiteral("%1 %2/%3/%4")
                           .arg(tags.at(k))
                           .arg(s.at(k))
                           .arg(y.at(k))
                           .arg(d.at(k));
        return entries;
    }

    const QStringList siteNames{"REL", "TRP", "DAM1", "DAM2", "FIN"};
    QList<int> siteIds;
    QList<int> yearIds;
    int release = -1;
    FixedSiteCatalog catalog;
    SitesController sites{catalog, rdb};
    YearsController years{rdb};
    ReleasesController releases{rdb};
    DetectionSequenceController sequences{releases, sites, rdb};
};

} // namespace rivulet::test
