#pragma once

#include <cstdint>
#include <vector>

class QDataStream;

namespace rivulet {

// Counts of fish by year (rows) and site (columns), for the sites below the most upstream
// one: with S sites and Y years it has Y rows and S-1 columns, and the count for site
// position s (>= 1) in year position y is element(y, s - 1). Stored row-major; every
// element starts at 0.
//
// Reads outside the matrix answer 0 and additions outside it are ignored: a detection at
// site 0 (possible only when a single site is active) has no column.
class CountMatrix
{
public:
    CountMatrix() = default;
    CountMatrix(int rows, int columns);
    // The matrix for siteCount sites and yearCount years (yearCount rows, siteCount-1 columns).
    static CountMatrix forSitesAndYears(int siteCount, int yearCount);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }

    // Element by row (year position) and column (site position - 1).
    std::int32_t element(int row, int column) const;
    // Element by site position (>= 1) and year position.
    std::int32_t count(int sitePos, int yearPos) const { return element(yearPos, sitePos - 1); }

    // Adds amount at (sitePos, yearPos); returns false (and changes nothing) outside the matrix.
    bool add(int sitePos, int yearPos, std::int32_t amount = 1);
    bool setCount(int sitePos, int yearPos, std::int32_t value);
    // Adds every element of other to this matrix; does nothing when the shapes differ.
    void addMatrix(const CountMatrix& other);

    // Sum of all elements.
    std::int64_t sum() const;

    // The shape and elements, as NextDetectionTables stores them.
    void write(QDataStream& out) const;
    // False, leaving an empty matrix, when the stream does not hold a whole matrix.
    bool read(QDataStream& in);

    bool operator==(const CountMatrix& other) const;
    bool operator!=(const CountMatrix& other) const { return !(*this == other); }

private:
    bool contains(int row, int column) const
    {
        return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
    }

    int m_rows = 0;
    int m_columns = 0;
    std::vector<std::int32_t> m_elements;
};

} // namespace rivulet
