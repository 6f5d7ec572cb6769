#include "DetectionSequenceFixture.h"
#include "rivulet/data/CohortsController.h"

namespace rivulet::test {
namespace {

class DetectionSequenceTest : public DetectionSequenceFixture
{
protected:
    // A tag and its detections, each "site/year" or "site/year/disposition" by position.
    void addFish(const QString& tag, const QStringList& detections, int releaseId = -1,
                 int cohortId = -1)
    {
        addTag(tag, releaseId, cohortId);
        for (const QString& detection : detections) {
            const QStringList at = detection.split('/');
            addDetection(tag, at.at(0).toInt(), at.at(1).toInt(), at.value(2, "1").toInt());
        }
    }
};

TEST_F(DetectionSequenceTest, EntriesGoByTagThenDownRiverThenByYear)
{
    addFish("B", {"3/1", "1/0"});
    addFish("A", {"2/1", "2/0", "3/1"}); // held over at the first dam: two years at one site
    addFish("3D9.'x\"", {"1/0"});        // tag codes are data: quotes pass through untouched
    ASSERT_TRUE(update());
    EXPECT_EQ(history(), (QStringList{"3D9.'x\" 1/0/1", "A 2/0/1", "A 2/1/1", "A 3/1/1", "B 1/0/1",
                                      "B 3/1/1"}));
}

// Written otherwise than by a load: a tag's detections apart in the table, and detections of
// tags the study does not hold.
TEST_F(DetectionSequenceTest, DetectionsApartInTheTableMakeOneHistoryAndUnknownTagsAreDamage)
{
    addTag("B");
    addTag("A");
    addDetection("B", 2, 0);
    addDetection("A", 3, 0);
    addDetection("B", 1, 0);
    addDetection("A", 1, 0);

    ASSERT_TRUE(update());
    EXPECT_EQ(history(), (QStringList{"A 1/0/1", "A 3/0/1", "B 1/0/1", "B 2/0/1"}));

    // A load stores every tag it stores detections of: a detection of no tag, between two tags
    // or after the last, was lost from the file, and its fish must not be dropped in silence.
    for (const char* unknown : {"AB", "Z"}) {
        addDetection(unknown, 1, 0);
        EXPECT_FALSE(update()) << unknown;
        ASSERT_TRUE(exec("delete from observations where tag_id = ?", {unknown}));
    }
}

TEST_F(DetectionSequenceTest, AHistoryEndsAtItsRemovalAndAtTheLastSiteEvenTheOnlyOne)
{
    addFish("A", {"1/0/2", "3/0"}); // taken out at the trap, caught again further down
    addFish("B", {"1/0", "2/0/2", "3/1"});
    addFish("C", {"4/1"}); // the final site ends every history
    ASSERT_TRUE(update());
    EXPECT_EQ(history(), (QStringList{"A 1/0/2", "B 1/0/1", "B 2/0/2", "C 4/1/2"}));

    // The second dam made the last site: the final site is merged into it and the first
    // detection there ends the history.
    setSiteActive(4, 3);
    addFish("D", {"3/0", "4/1"});
    ASSERT_TRUE(update());
    EXPECT_EQ(sites.count(), 4);
    EXPECT_EQ(history(), (QStringList{"A 1/0/2", "B 1/0/1", "B 2/0/2", "C 3/1/2", "D 3/0/2"}));

    // With one active site, it is the last one, and every entry ends there, unseen tags too.
    for (int site = 1; site < 5; ++site)
        setSiteActive(site, 0);
    addFish("E", {});
    ASSERT_TRUE(update());
    ASSERT_EQ(sites.count(), 1);
    EXPECT_EQ(history(), (QStringList{"A 0/0/2", "B 0/0/2", "C 0/1/2", "D 0/0/2", "E 0/0/2"}));
}

TEST_F(DetectionSequenceTest, SitesAndYearsLeftOutAreInvisible)
{
    addFish("A", {"2/0"});
    addFish("B", {"1/2"});
    addFish("C", {});
    addFish("D", {"2/0", "3/0"});
    ASSERT_TRUE(update());
    EXPECT_EQ(history(), (QStringList{"A 2/0/1", "B 1/2/1", "C 0/0/0", "D 2/0/1", "D 3/0/1"}));

    // Without the first dam and the last year; the sites below move up one position.
    setSiteActive(2, -1);
    setSiteActive(3, 2);
    setSiteActive(4, 3);
    setYearActive(2, -1);
    ASSERT_TRUE(update());
    EXPECT_EQ(history(), (QStringList{"A 0/0/0", "B 0/0/0", "C 0/0/0", "D 2/0/1"}));
}

TEST_F(DetectionSequenceTest, DetectionsOfOnePassageMakeOneEntry)
{
    addFish("A", {"1/0", "1/0/2", "3/0"}); // two antennas of the trap, the second a removal
    addFish("B", {"2/0", "2/0", "3/0"});
    addFish("C", {"1/0/2", "1/0"});
    addFish("D", {"1/0/0", "2/0/7"}); // a stored value other than a removal: the fish went on
    ASSERT_TRUE(update());
    EXPECT_EQ(history(),
              (QStringList{"A 1/0/2", "B 2/0/1", "B 3/0/1", "C 1/0/2", "D 1/0/1", "D 2/0/1"}));
}

TEST_F(DetectionSequenceTest, EachReleaseHasItsOwnListsInTheControllersOrder)
{
    const int second = addRelease(1, 1, 1);
    const int empty = addRelease(2, 0, 2);
    const int inactive = addRelease(0, 1, -1);
    // Swap the first two releases' positions: the lists follow the ids, not the positions.
    ASSERT_TRUE(exec("update releases set active_sequence = 1 - active_sequence where id in "
                     "(?, ?)",
                     {release, second}));
    addFish("A", {"1/0"}, release);
    addFish("B", {"2/1/2"}, second);
    addFish("C", {}, release);
    addFish("D", {"1/1"}, inactive);
    ASSERT_TRUE(update());
    EXPECT_EQ(releases.ids(), (QList<int>{second, release, empty}));
    EXPECT_EQ(history(release), (QStringList{"A 1/0/1", "C 0/0/0"}));
    EXPECT_EQ(history(second), (QStringList{"B 2/1/2"}));
    EXPECT_TRUE(history(empty).isEmpty());
    EXPECT_TRUE(history(inactive).isEmpty());
    EXPECT_EQ(sequences.entryCount(), 3);
}

TEST_F(DetectionSequenceTest, AnActiveCohortKeepsOnlyItsOwnTags)
{
    CohortsController cohorts(rdb);
    const int first = cohorts.cohortId(2007).value();
    const int second = cohorts.cohortId(2008).value();
    addFish("A", {"1/0"}, release, first);
    addFish("B", {"2/0"}, release, second);
    addFish("C", {}, release, -1);
    addFish("D", {}, release, first);
    ASSERT_TRUE(update());
    EXPECT_EQ(history(), (QStringList{"A 1/0/1", "B 2/0/1", "C 0/0/0", "D 0/0/0"}));

    ASSERT_TRUE(cohorts.setActiveCohort(first));
    ASSERT_TRUE(update());
    EXPECT_EQ(history(), (QStringList{"A 1/0/1", "D 0/0/0"}));
    ASSERT_TRUE(cohorts.setActiveCohort(second));
    ASSERT_TRUE(update());
    EXPECT_EQ(history(), (QStringList{"B 2/0/1"}));
}

} // namespace
} // namespace rivulet::test
