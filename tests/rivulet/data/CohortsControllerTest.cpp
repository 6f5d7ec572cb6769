#include "rivulet/data/CohortsController.h"

#include "ControllerFixture.h"

namespace rivulet {
namespace {

using CohortsControllerTest = test::ControllerFixture;

TEST_F(CohortsControllerTest, AddsEachCohortOnceAndListsThemByNumber)
{
    CohortsController cohorts(rdb);
    EXPECT_TRUE(cohorts.cohortIds().isEmpty());
    const int c2009 = cohorts.cohortId(2009);
    const int c2007 = cohorts.cohortId(2007);
    EXPECT_EQ(cohorts.cohortId(2009), c2009);
    EXPECT_EQ(cohorts.cohortNumbers(), QList<int>({2007, 2009}));
    EXPECT_EQ(cohorts.cohortIds(), QList<int>({c2007, c2009}));
    EXPECT_EQ(cohorts.activeFlags(), QList<int>({0, 0}));
    EXPECT_EQ(intAt("select count(*) from cohorts"), 2);
}

TEST_F(CohortsControllerTest, AtMostOneCohortIsActive)
{
    CohortsController cohorts(rdb);
    const int a = cohorts.cohortId(2007);
    const int b = cohorts.cohortId(2008);
    EXPECT_EQ(cohorts.activeCohortId(), -1);

    ASSERT_EQ(cohorts.setActiveCohort(a), 0);
    EXPECT_EQ(cohorts.activeCohortId(), a);
    ASSERT_EQ(cohorts.setActiveCohort(b), 0);
    EXPECT_EQ(cohorts.activeCohortId(), b);
    EXPECT_EQ(intAt("select count(*) from cohorts where active = 1"), 1);

    ASSERT_EQ(cohorts.clearActiveCohort(), 0);
    EXPECT_EQ(cohorts.activeCohortId(), -1);
    EXPECT_EQ(intAt("select count(*) from cohorts where active = 1"), 0);
}

TEST_F(CohortsControllerTest, SeesChangesMadeThroughAnotherController)
{
    CohortsController reader(rdb);
    EXPECT_EQ(reader.activeCohortId(), -1);
    CohortsController writer(rdb);
    const int id = writer.cohortId(2010);
    writer.setActiveCohort(id);
    // The reader's lists were read before; refresh brings the change in.
    reader.refresh();
    EXPECT_EQ(reader.activeCohortId(), id);
    EXPECT_EQ(reader.cohortNumbers(), QList<int>({2010}));
}

} // namespace
} // namespace rivulet
