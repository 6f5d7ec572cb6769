#include "rivulet/data/CohortsController.h"

#include "ControllerFixture.h"

namespace rivulet {
namespace {

using CohortsControllerTest = test::ControllerFixture;

TEST_F(CohortsControllerTest, AddsEachCohortOnceAndAtMostOneIsActiveForEveryReader)
{
    CohortsController reader(rdb);
    CohortsController cohorts(rdb);
    const int c2009 = cohorts.cohortId(2009);
    const int c2007 = cohorts.cohortId(2007);
    EXPECT_EQ(cohorts.cohortId(2009), c2009);
    EXPECT_EQ(cohorts.cohortNumbers(), QList<int>({2007, 2009}));
    EXPECT_EQ(cohorts.cohortIds(), QList<int>({c2007, c2009}));
    EXPECT_EQ(cohorts.activeCohortId(), -1);
    ASSERT_EQ(cohorts.setActiveCohort(c2007), 0);
    ASSERT_EQ(cohorts.setActiveCohort(c2009), 0);
    EXPECT_EQ(cohorts.activeFlags(), QList<int>({0, 1}));
    EXPECT_EQ(intAt("select count(*) from cohorts where active = 1"), 1);
    // The reader's lists were read before; refresh brings the change in.
    reader.refresh();
    EXPECT_EQ(reader.activeCohortId(), c2009);
    ASSERT_EQ(cohorts.clearActiveCohort(), 0);
    EXPECT_EQ(cohorts.activeCohortId(), -1);
    EXPECT_EQ(intAt("select count(*) from cohorts where active = 1"), 0);
}

} // namespace
} // namespace rivulet
