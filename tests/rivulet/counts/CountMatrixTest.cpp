#include "rivulet/counts/CountMatrix.h"

#include <gtest/gtest.h>

using rivulet::CountMatrix;

namespace {

// Columns are sites from the second one on (nothing is detected at the most upstream site);
// whatever falls outside reads zero and is not added.
TEST(CountMatrix, SiteColumnsStartAtTheSecondSiteAndOnlyTheSameShapeAdds)
{
    CountMatrix a = CountMatrix::forSitesAndYears(3, 2);
    ASSERT_EQ(a.rows(), 2);
    ASSERT_EQ(a.columns(), 2);
    EXPECT_TRUE(a.add(1, 0));
    EXPECT_TRUE(a.add(2, 1, 4));
    EXPECT_EQ(a.element(0, 0), 1);
    EXPECT_EQ(a.element(1, 1), 4);
    const int outside[][2] = {{0, 0}, {3, 0}, {1, 2}, {1, -1}};
    for (const auto& cell : outside)
        EXPECT_FALSE(a.add(cell[0], cell[1])) << cell[0] << ", " << cell[1];
    EXPECT_FALSE(a.setCount(3, 1, 7));
    EXPECT_EQ(a.count(9, 9), 0);
    EXPECT_EQ(a.sum(), 5);
    EXPECT_EQ(CountMatrix::forSitesAndYears(1, 3).columns(), 0);

    CountMatrix b = CountMatrix::forSitesAndYears(3, 2);
    b.setCount(2, 1, 3);
    a.addMatrix(b);
    a.addMatrix(CountMatrix::forSitesAndYears(4, 2));
    EXPECT_EQ(a.count(2, 1), 7);
    EXPECT_EQ(a.sum(), 8);
    EXPECT_NE(a, b);
    b.setCount(2, 1, 7);
    b.setCount(1, 0, 1);
    EXPECT_EQ(a, b);
}

} // namespace
