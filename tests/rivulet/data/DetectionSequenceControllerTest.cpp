#include "DetectionSequenceFixture.h"
#include "rivulet/data/CohortsController.h"

namespace rivulet::test {
namespace {

using DetectionSequenceTest = DetectionSequenceFixture;

TEST_F(DetectionSequenceTest, EntriesGoByTagThenDownRiverThenByYear)
{
    addTag("B");
    addDetection("B", 3, 1);
    addDetection("B", 1, 0);
    addTag("A");
    addDetection("A", 2, 1); // held over at the first dam: two years at one site
    addDetection("A", 2, 0);
    addDetection("A", 3, 1);
    // Tag codes are data: quotes pass through untouched.
    addTag("3D9.'x\"");
    addDetection("3D9.'x\"", 1, 0);

    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(), (QStringList{"3D9.'x\" 1/0/1", "A 2/0/1", "A 2/1/1", "A 3/1/1", "B 1/0/1",
                                      "B 3/1/1"}));
}

// Written otherwise than by a load: a tag's detections apart in the table, and a detection of
// a tag the study does not hold.
TEST_F(DetectionSequenceTest, DetectionsApartInTheTableMakeOneHistoryAndUnknownTagsNone)
{
    addTag("B");
    addTag("A");
    addDetection("B", 2, 0);
    addDetection("A", 3, 0);
    addDetection("B", 1, 0);
    addDetection("Z", 1, 0);
    addDetection("A", 1, 0);

    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(), (QStringList{"A 1/0/1", "A 3/0/1", "B 1/0/1", "B 2/0/1"}));
}

TEST_F(DetectionSequenceTest, AHistoryEndsAtItsRemovalAndAtTheLastSite)
{
    addTag("A"); // taken out at the trap, caught again further down
    addDetection("A", 1, 0, 2);
    addDetection("A", 3, 0);
    addTag("B");
    addDetection("B", 1, 0);
    addDetection("B", 2, 0, 2);
    addDetection("B", 3, 1);
    addTag("C"); // the final site ends every history
    addDetection("C", 4, 1);

    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(), (QStringList{"A 1/0/2", "B 1/0/1", "B 2/0/2", "C 4/1/2"}));

    // The second dam made the last site: the final site is merged into it and the first
    // detection there ends the history.
    setSiteActive(4, 3);
    addTag("D");
    addDetection("D", 3, 0);
    addDetection("D", 4, 1);
    ASSERT_EQ(update(), 0);
    EXPECT_EQ(sites.count(), 4);
    EXPECT_EQ(history(), (QStringList{"A 1/0/2", "B 1/0/1", "B 2/0/2", "C 3/1/2", "D 3/0/2"}));
}

TEST_F(DetectionSequenceTest, SitesAndYearsLeftOutAreInvisible)
{
    addTag("A");
    addDetection("A", 2, 0);
    addTag("B");
    addDetection("B", 1, 2);
    addTag("C");
    addTag("D");
    addDetection("D", 2, 0);
    addDetection("D", 3, 0);
    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(), (QStringList{"A 2/0/1", "B 1/2/1", "C 0/0/0", "D 2/0/1", "D 3/0/1"}));

    // Without the first dam and the last year; the sites below move up one position.
    setSiteActive(2, -1);
    setSiteActive(3, 2);
    setSiteActive(4, 3);
    setYearActive(2, -1);
    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(), (QStringList{"A 0/0/0", "B 0/0/0", "C 0/0/0", "D 2/0/1"}));
}

TEST_F(DetectionSequenceTest, WithOneActiveSiteEveryEntryEndsThereUnseenTagsIncluded)
{
    for (int s = 0; s < 5; ++s)
        setSiteActive(s, 0);
    addTag("A");
    addDetection("A", 2, 1);
    addDetection("A", 3, 2);
    addTag("B");
    ASSERT_EQ(update(), 0);
    ASSERT_EQ(sites.count(), 1);
    // With one active site, it is the last one, and every entry ends there.
    EXPECT_EQ(history(), (QStringList{"A 0/1/2", "B 0/0/2"}));
}

TEST_F(DetectionSequenceTest, DetectionsOfOnePassageMakeOneEntry)
{
    addTag("A"); // two antennas of the trap, the second one a removal
    addDetection("A", 1, 0);
    addDetection("A", 1, 0, 2);
    addDetection("A", 3, 0);
    addTag("B");
    addDetection("B", 2, 0);
    addDetection("B", 2, 0);
    addDetection("B", 3, 0);
    addTag("C");
    addDetection("C", 1, 0, 2);
    addDetection("C", 1, 0);
    addTag("D"); // a stored value other than a removal means the fish went on
    addDetection("D", 1, 0, 0);
    addDetection("D", 2, 0, 7);

    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(),
              (QStringList{"A 1/0/2", "B 2/0/1", "B 3/0/1", "C 1/0/2", "D 1/0/1", "D 2/0/1"}));
}

TEST_F(DetectionSequenceTest, EachReleaseHasItsOwnListsInTheControllersOrder)
{
    const int second = addRelease(1, 1, 1);
    const int empty = addRelease(2, 0, 2);
    const int inactive = addRelease(0, 1, -1);
    // Swap the first two releases' positions: the lists follow the ids, not the positions.
    ASSERT_EQ(exec("update releases set active_sequence = 1 - active_sequence where id in "
                   "(?, ?)",
                   {release, second}),
              0);
    addTag("A", release);
    addDetection("A", 1, 0);
    addTag("B", second);
    addDetection("B", 2, 1, 2);
    addTag("C", release);
    addTag("D", inactive);
    addDetection("D", 1, 1);

    ASSERT_EQ(update(), 0);
    EXPECT_EQ(releases.ids(), (QList<int>{second, release, empty}));
    EXPECT_EQ(history(release), (QStringList{"A 1/0/1", "C 0/0/0"}));
    EXPECT_EQ(history(second), (QStringList{"B 2/1/2"}));
    EXPECT_TRUE(history(empty).isEmpty());
    EXPECT_TRUE(history(inactive).isEmpty());
    EXPECT_TRUE(history(9999).isEmpty());
    EXPECT_EQ(sequences.entryCount(), 3);
}

TEST_F(DetectionSequenceTest, AnActiveCohortKeepsOnlyItsOwnTags)
{
    CohortsController cohorts(rdb);
    const int first = cohorts.cohortId(2007);
    const int second = cohorts.cohortId(2008);
    addTag("A", release, first);
    addDetection("A", 1, 0);
    addTag("B", release, second);
    addDetection("B", 2, 0);
    addTag("C", release, -1);
    addTag("D", release, first);

    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(), (QStringList{"A 1/0/1", "B 2/0/1", "C 0/0/0", "D 0/0/0"}));

    ASSERT_EQ(cohorts.setActiveCohort(first), 0);
    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(), (QStringList{"A 1/0/1", "D 0/0/0"}));

    ASSERT_EQ(cohorts.setActiveCohort(second), 0);
    ASSERT_EQ(update(), 0);
    EXPECT_EQ(history(), (QStringList{"B 2/0/1"}));
}

} // namespace
} // namespace rivulet::test
