#include "rivulet/counts/CountMatrix.h"

#include <gtest/gtest.h>

using rivulet::CountMatrix;

namespace {

TEST(CountMatrix, SiteColumnsStartAtTheSecondSite)
{
    CountMatrix m = CountMatrix::forSitesAndYears(4, 2);
    ASSERT_EQ(m.rows(), 2);
    ASSERT_EQ(m.columns(), 3);
    EXPECT_TRUE(m.add(1, 0));
    EXPECT_TRUE(m.add(3, 1, 5));
    EXPECT_EQ(m.element(0, 0), 1);
    EXPECT_EQ(m.element(1, 2), 5);
    EXPECT_EQ(m.count(3, 1), 5);
    EXPECT_EQ(m.count(2, 1), 0);
    EXPECT_EQ(m.sum(), 6);
}

TEST(CountMatrix, OutsideTheMatrixReadsZeroAndIgnoresAdditions)
{
    CountMatrix m = CountMatrix::forSitesAndYears(3, 2);
    EXPECT_FALSE(m.add(0, 0)); // the most upstream site has no column
    EXPECT_FALSE(m.add(3, 0));
    EXPECT_FALSE(m.add(1, 2));
    EXPECT_FALSE(m.add(1, -1));
    EXPECT_FALSE(m.setCount(3, 1, 7));
    EXPECT_EQ(m.sum(), 0);
    EXPECT_EQ(m.count(0, 0), 0);
    EXPECT_EQ(m.count(9, 9), 0);
    EXPECT_EQ(CountMatrix().count(1, 0), 0);
    // One site leaves no column at all.
    EXPECT_EQ(CountMatrix::forSitesAndYears(1, 3).columns(), 0);
    EXPECT_EQ(CountMatrix::forSitesAndYears(0, 3).columns(), 0);
}

TEST(CountMatrix, AddsMatricesOfTheSameShapeOnly)
{
    CountMatrix a = CountMatrix::forSitesAndYears(3, 2);
    CountMatrix b = CountMatrix::forSitesAndYears(3, 2);
    a.setCount(2, 1, 4);
    b.setCount(2, 1, 3);
    b.setCount(1, 0, 1);
    a.addMatrix(b);
    EXPECT_EQ(a.count(2, 1), 7);
    EXPECT_EQ(a.count(1, 0), 1);
    a.addMatrix(CountMatrix::forSitesAndYears(4, 2));
    EXPECT_EQ(a.sum(), 8);
    EXPECT_NE(a, b);
    b.setCount(2, 1, 7);
    EXPECT_EQ(a, b);
}

} // namespace
