#pragma once

#include <cstdint>
#include <vector>

namespace rivulet::gof {

// A contingency table of counts: rows of equal length.
using Table = std::vector<std::vector<std::int64_t>>;

// The chi-square test of independence of one table, as the component tests report it.
struct TableTest
{
    // The table tested: empty rows and columns dropped, pooled if asked.
    Table table;
    // For each column of `table`, the index of the first column of the original table it holds
    // (pooling merges the far columns into the last one kept).
    std::vector<int> firstColumns;
    // The statistic reported: Pearson's X², or with `fisher` the X² of the same p on `df`.
    double chiSquare = 0.0;
    int df = 0;
    // Upper tail of the chi-square distribution on df; 1 when df is 0.
    double p = 1.0;
    // True when an expected count stayed below 2, so the p is Fisher's exact one.
    bool fisher = false;
    // For a 2x2 table: the signed root of chiSquare, positive when the first row leans to the
    // first column more than the second row does (ad > bc); 0 otherwise.
    double z = 0.0;
};

// Whether far columns are merged until every expected count is at least 2.
enum class Pooling
{
    None,
    FromFarEnd
};

// Tests `table`: drops empty rows and columns; with Pooling::FromFarEnd merges the last two
// columns while more than two remain and an expected count is below 2 (never down to one
// column, which would leave nothing to test); then Pearson's X² with E = row total x column
// total / N, unless an expected count is still below 2, where Fisher's exact test (two-sided)
// decides the p, reported as the chi-square on the table's df with that p. A table with
// fewer than two rows or columns left has df 0 and X² 0.
//
// Fisher's test is only ever needed on 2x2 tables: pooling stops at two columns, and the
// component tables have two rows.
TableTest testTable(const Table& table, Pooling pooling);

// Two-sided p of Fisher's exact test for a 2x2 table: the total probability, given the
// margins, of every table no more likely than the one observed.
double fisherExact2x2(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d);

// Upper tail of the chi-square distribution, and its inverse (the X² whose upper tail is p).
double chiSquareUpperTail(double chiSquare, int df);
double chiSquareForUpperTail(double p, int df);

} // namespace rivulet::gof
