#include "rivulet/gof/ContingencyTest.h"

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/hypergeometric.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace rivulet::gof {

namespace {

// Expected counts below this make the chi-square approximation unreliable.
constexpr double kMinExpected = 2.0;

std::int64_t rowSum(const std::vector<std::int64_t>& row)
{
    return std::accumulate(row.begin(), row.end(), std::int64_t{0});
}

std::int64_t columnSum(const Table& table, std::size_t column)
{
    std::int64_t sum = 0;
    for (const auto& row : table)
        sum += row[column];
    return sum;
}

// The table without empty rows and columns; `columns` receives the kept columns' indices.
Table dropEmpty(const Table& table, std::vector<int>& columns)
{
    Table rows;
    for (const auto& row : table) {
        if (rowSum(row) > 0)
            rows.push_back(row);
    }
    columns.clear();
    if (rows.empty())
        return rows;
    Table kept(rows.size());
    for (std::size_t j = 0; j < rows.front().size(); ++j) {
        if (columnSum(rows, j) == 0)
            continue;
        columns.push_back(static_cast<int>(j));
        for (std::size_t i = 0; i < rows.size(); ++i)
            kept[i].push_back(rows[i][j]);
    }
    return kept;
}

double smallestExpected(const Table& table)
{
    double n = 0;
    for (const auto& row : table)
        n += static_cast<double>(rowSum(row));
    double smallest = n;
    for (const auto& row : table) {
        const double r = static_cast<double>(rowSum(row));
        for (std::size_t j = 0; j < row.size(); ++j)
            smallest = std::min(smallest, r * static_cast<double>(columnSum(table, j)) / n);
    }
    return smallest;
}

double pearson(const Table& table)
{
    double n = 0;
    for (const auto& row : table)
        n += static_cast<double>(rowSum(row));
    double x2 = 0;
    for (const auto& row : table) {
        const double r = static_cast<double>(rowSum(row));
        for (std::size_t j = 0; j < row.size(); ++j) {
            const double e = r * static_cast<double>(columnSum(table, j)) / n;
            const double d = static_cast<double>(row[j]) - e;
            x2 += d * d / e;
        }
    }
    return x2;
}

} // namespace

double chiSquareUpperTail(double chiSquare, int df)
{
    if (df <= 0)
        return 1.0;
    const boost::math::chi_squared distribution(df);
    return boost::math::cdf(boost::math::complement(distribution, std::max(chiSquare, 0.0)));
}

double chiSquareForUpperTail(double p, int df)
{
    if (df <= 0 || p >= 1.0)
        return 0.0;
    const boost::math::chi_squared distribution(df);
    return boost::math::quantile(boost::math::complement(distribution, std::max(p, 0.0)));
}

double fisherExact2x2(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d)
{
    const auto row1 = static_cast<unsigned>(a + b);
    const auto column1 = static_cast<unsigned>(a + c);
    const auto n = static_cast<unsigned>(a + b + c + d);
    // The count in the first cell given the margins is hypergeometric: draw row1 fish out of n
    // of which column1 are "successes".
    const boost::math::hypergeometric_distribution<double> distribution(column1, row1, n);
    const auto range = boost::math::range(distribution);
    const double observed = boost::math::pdf(distribution, static_cast<unsigned>(a));
    // Tables as likely as the observed one differ only by rounding; they belong to the tail.
    const double cutoff = observed * (1.0 + 1e-7);
    double p = 0;
    for (unsigned x = range.first; x <= range.second; ++x) {
        const double px = boost::math::pdf(distribution, x);
        if (px <= cutoff)
            p += px;
    }
    return std::min(p, 1.0);
}

TableTest testTable(const Table& table, Pooling pooling)
{
    TableTest result;
    result.table = dropEmpty(table, result.firstColumns);
    if (result.table.size() < 2 || result.table.front().size() < 2)
        return result;
    if (pooling == Pooling::FromFarEnd) {
        while (result.table.front().size() > 2 && smallestExpected(result.table) < kMinExpected) {
            for (auto& row : result.table) {
                row[row.size() - 2] += row.back();
                row.pop_back();
            }
            result.firstColumns.pop_back();
        }
    }
    result.df = static_cast<int>((result.table.size() - 1) * (result.table.front().size() - 1));
    const bool twoByTwo = result.table.size() == 2 && result.table.front().size() == 2;
    result.fisher = smallestExpected(result.table) < kMinExpected && twoByTwo;
    if (result.fisher) {
        const auto& t = result.table;
        result.p = fisherExact2x2(t[0][0], t[0][1], t[1][0], t[1][1]);
        result.chiSquare = chiSquareForUpperTail(result.p, result.df);
    } else {
        result.chiSquare = pearson(result.table);
        result.p = chiSquareUpperTail(result.chiSquare, result.df);
    }
    if (twoByTwo) {
        const auto& t = result.table;
        const std::int64_t cross = t[0][0] * t[1][1] - t[0][1] * t[1][0];
        result.z = cross == 0 ? 0.0 : std::copysign(std::sqrt(result.chiSquare), double(cross));
    }
    return result;
}

} // namespace rivulet::gof
