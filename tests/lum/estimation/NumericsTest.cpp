#include "TestFunctions.h"

#include "lum/estimation/LUdcmp.h"
#include "lum/estimation/LdlFactors.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/SVD.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using lum::DenseMatrix;
using rivulet::test::maxDifference;
using rivulet::test::product;

namespace {

DenseMatrix matrix(int rows, int columns, std::initializer_list<double> values)
{
    DenseMatrix m(rows, columns);
    int k = 0;
    for (const double v : values) {
        m(k / columns, k % columns) = v;
        ++k;
    }
    return m;
}

TEST(LUdcmp, SolvesInvertsAndHasTheDeterminantOfAKnownMatrix)
{
    // Needs a row exchange: the first pivot is 0.
    const DenseMatrix a = matrix(3, 3, {0.0, 2.0, 1.0, 1.0, 1.0, 0.0, 3.0, 0.0, 1.0});
    const NR3::LUdcmp lu(a);
    EXPECT_NEAR(lu.determinant(), -5.0, 1e-14);

    std::vector<double> x(3);
    lu.solve({5.0, 3.0, 4.0}, x); // the solution is (1, 2, 1)
    EXPECT_LT(maxDifference(x, {1.0, 2.0, 1.0}), 1e-14);

    DenseMatrix inverse;
    lu.inverse(inverse);
    const DenseMatrix expected = matrix(3, 3, {-0.2, 0.4, 0.2, 0.2, 0.6, -0.2, 0.6, -1.2, 0.4});
    EXPECT_LT(maxDifference(inverse, expected), 1e-14);
    EXPECT_LT(maxDifference(product(a, inverse), DenseMatrix::identity(3)), 1e-14);

    try {
        NR3::LUdcmp(matrix(2, 2, {1.0, 2.0, 0.0, 0.0}));
        ADD_FAILURE() << "a zero row decomposed";
    } catch (const NR3::NRError& e) {
        EXPECT_STREQ(e.message, "Singular matrix in LUdcmp");
    }
}

void expectValidDecomposition(const DenseMatrix& a)
{
    const NR3::SVD svd(a);
    const int n = a.columns();
    DenseMatrix w(n, n);
    for (int i = 0; i < n; ++i)
        w(i, i) = svd.w()[i];
    const DenseMatrix rebuilt = product(product(svd.u(), w), svd.v(), true);
    EXPECT_LT(maxDifference(rebuilt, a), 1e-12);
    EXPECT_LT(maxDifference(product(svd.v(), svd.v(), true), DenseMatrix::identity(n)), 1e-12);
    EXPECT_TRUE(std::is_sorted(svd.w().rbegin(), svd.w().rend()));
    // The rank test's shortcut must not change a single value.
    EXPECT_EQ(NR3::SVD(a, NR3::SVD::Parts::ValuesOnly).w(), svd.w());
}

TEST(SVD, DecomposesSquareAndTallMatricesIntoKnownSortedValues)
{
    expectValidDecomposition(matrix(3, 3, {4.0, 1.0, -2.0, 1.0, 3.0, 0.5, -2.0, 0.5, 5.0}));
    expectValidDecomposition(
        matrix(4, 3, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 10.0, -1.0, 0.5, 2.0}));
    std::mt19937 random(11);
    std::uniform_real_distribution<double> element(-1.0, 1.0);
    DenseMatrix large(40, 30);
    for (int i = 0; i < large.rows(); ++i)
        for (int j = 0; j < large.columns(); ++j)
            large(i, j) = element(random);
    expectValidDecomposition(large);
    const NR3::SVD svd(matrix(2, 2, {3.0, 0.0, 4.0, 5.0}));
    EXPECT_NEAR(svd.w()[0], std::sqrt(45.0), 1e-13);
    EXPECT_NEAR(svd.w()[1], std::sqrt(5.0), 1e-13);
}

TEST(SVD, RankCountsSingularValuesAboveTheThreshold)
{
    const DenseMatrix identicalRows = matrix(3, 3, {2.0, 1.0, 0.5, 2.0, 1.0, 0.5, 0.3, -1.0, 4.0});
    const NR3::SVD svd(identicalRows);
    EXPECT_EQ(svd.rank(), 2);
    EXPECT_EQ(svd.nullity(), 1);
    EXPECT_EQ(NR3::SVD(DenseMatrix(3, 3)).rank(), 0);
    // An explicit threshold.
    EXPECT_EQ(NR3::SVD(matrix(2, 2, {1.0, 0.0, 0.0, 1e-3})).rank(1e-2), 1);
    EXPECT_EQ(NR3::SVD(matrix(2, 2, {1.0, 0.0, 0.0, 1e-3})).rank(), 2);
}

TEST(LdlFactors, RankOneCorrectionsMatchTheDenseUpdate)
{
    // Seven rows: the factors are worked on in groups of rows, with a remainder.
    constexpr int N = 7;
    lum::LdlFactors factors;
    factors.setIdentity(N);
    DenseMatrix expected = DenseMatrix::identity(N);
    std::mt19937 random(5);
    std::uniform_real_distribution<double> element(-1.0, 1.0);
    for (const double sigma : {2.0, 0.5, -0.3, 1.5, -0.1}) {
        std::vector<double> z(N);
        for (double& zi : z)
            zi = element(random);
        factors.rankOneUpdate(sigma, z);
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < N; ++j)
                expected(i, j) += sigma * z[i] * z[j];
        EXPECT_LT(maxDifference(factors.matrix(), expected), 1e-13);
    }
    const std::vector<double> rhs = {1.0, 2.0, 3.0, -1.0, 0.5, 0.0, 4.0};
    std::vector<double> x;
    factors.solve(rhs, x);
    std::vector<double> bx(N, 0.0);
    for (int i = 0; i < N; ++i)
        for (int j = 0; j < N; ++j)
            bx[i] += expected(i, j) * x[j];
    EXPECT_LT(maxDifference(bx, rhs), 1e-12);
}

TEST(LdlFactors, ADowndateThatWouldBreakPositiveDefinitenessIsLimited)
{
    lum::LdlFactors factors;
    factors.setIdentity(2);
    // I - z z^T with |z| > 1 is indefinite.
    factors.rankOneUpdate(-1.0, {1.0, 1.0});
    EXPECT_GT(factors.d(0), 0.0);
    EXPECT_GT(factors.d(1), 0.0);
    // The limited correction still removes (almost) all of the curvature along z.
    std::vector<double> x;
    factors.solve({1.0, 1.0}, x);
    EXPECT_GT(x[0] + x[1], 1e6);
}

} // namespace
