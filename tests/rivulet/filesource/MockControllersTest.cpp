#include "rivulet/filesource/MockReleasesController.h"
#include "rivulet/filesource/MockSitesController.h"
#include "rivulet/filesource/MockYearsController.h"

#include <gtest/gtest.h>

using namespace rivulet;

namespace {

TEST(MockControllers, StartEmpty)
{
    MockSitesController sites;
    MockYearsController years;
    MockReleasesController releases;
    EXPECT_EQ(sites.count(), 0);
    EXPECT_EQ(years.count(), 0);
    EXPECT_EQ(releases.count(), 0);
    EXPECT_EQ(sites.indexOf(0), -1);
    EXPECT_EQ(years.indexOf(0), -1);
    EXPECT_EQ(releases.indexOf(ReleaseId{0}).value, -1);
    EXPECT_EQ(releases.releaseSiteId(0), MockReleasesController::UnknownRelease);
    EXPECT_EQ(releases.releaseYearId(0), MockReleasesController::UnknownRelease);
    EXPECT_EQ(years.firstYear(), 2008);
}

TEST(MockControllers, YearsAnswerFirstYear2008WhateverTheyHold)
{
    MockYearsController years;
    years.setYears({2011, 2012});
    EXPECT_EQ(years.firstYear(), 2008);
    EXPECT_EQ(years.yearLabels(), (QStringList{"2011", "2012"}));
    EXPECT_EQ(years.indexOf(1), 1);
}

TEST(MockControllers, ReleasesPointAtSiteAndYearPositions)
{
    MockSitesController sites;
    sites.setSites({"A", "B", "C"}, {"Alder Creek"});
    MockYearsController years;
    years.setYears({2008, 2009});
    MockReleasesController releases;
    const int first = releases.addRelease(1, "B", 0, 2008);
    const int second = releases.addRelease(0, "A", 1, 2009);

    EXPECT_EQ(releases.ids(), (QList<int>{first, second}));
    EXPECT_EQ(releases.labels(), (QStringList{"B 2008", "A 2009"}));
    EXPECT_EQ(releases.siteNames(), (QStringList{"B", "A"}));
    EXPECT_EQ(releases.years(), (QList<int>{2008, 2009}));
    EXPECT_EQ(sites.indexOf(releases.releaseSiteId(first)), 1);
    EXPECT_EQ(years.indexOf(releases.releaseYearId(second)), 1);
    EXPECT_EQ(sites.longNames(), (QStringList{"Alder Creek", "B", "C"}));

    releases.clear();
    EXPECT_EQ(releases.count(), 0);
    EXPECT_EQ(releases.releaseSiteId(first), MockReleasesController::UnknownRelease);
}

} // namespace
