#pragma once

#include <vector>

namespace lum {

// A matrix of doubles stored row by row in one array: the Hessian and the covariance matrix of
// a fit (numFree x numFree).
//
// A square matrix can also be block-diagonal (blockDiagonal()): the indices fall into blocks,
// and only the elements of two indices of the same block are stored, each block row by row in
// its own stretch of the array; an element of two different blocks reads 0. The covariance of
// a fit made in independent blocks is kept so, in the space of its blocks alone. Writing an
// element outside the blocks, or asking for a row pointer, throws std::logic_error.
class DenseMatrix
{
public:
    DenseMatrix() = default;
    DenseMatrix(int rows, int columns, double fill = 0.0);
    static DenseMatrix identity(int n);
    // An n x n block-diagonal matrix: block b holds the indices blocks[b] (each of 0 .. n-1 in
    // at most one block), its element (i, j) is blocks[b][i], blocks[b][j] of the matrix and
    // starts as the element (i, j) of values[b] (blocks[b].size() square). An index in no block
    // has a row and column of zeros. Throws std::invalid_argument on a size that does not fit.
    static DenseMatrix blockDiagonal(int n, const std::vector<std::vector<int>>& blocks,
                                     const std::vector<DenseMatrix>& values);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    bool isEmpty() const { return m_rows == 0 || m_columns == 0; }
    bool isBlockDiagonal() const { return !m_place.empty(); }

    double operator()(int r, int c) const
    {
        if (__builtin_expect(m_place.empty(), 1))
            return m_elements[index(r, c)];
        return blockElement(r, c);
    }
    double& operator()(int r, int c)
    {
        if (__builtin_expect(m_place.empty(), 1))
            return m_elements[index(r, c)];
        return blockElementRef(r, c);
    }
    const double* row(int r) const { return m_elements.data() + rowIndex(r); }
    double* row(int r) { return m_elements.data() + rowIndex(r); }
    // Every stored element: row-major, or block after block.
    const std::vector<double>& elements() const { return m_elements; }

    void resize(int rows, int columns, double fill = 0.0);
    void fill(double value);
    // True when no element is infinite or NaN.
    bool isFinite() const;

    bool operator==(const DenseMatrix& other) const;
    bool operator!=(const DenseMatrix& other) const { return !(*this == other); }

private:
    std::size_t index(int r, int c) const
    {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(m_columns) +
               static_cast<std::size_t>(c);
    }

    // Where an index lies in a block-diagonal matrix.
    struct Place
    {
        int block = -1;
        int position = 0;
    };

    std::size_t rowIndex(int r) const;
    double blockElement(int r, int c) const;
    double& blockElementRef(int r, int c);

    int m_rows = 0;
    int m_columns = 0;
    std::vector<double> m_elements;
    std::vector<Place> m_place;             // per index; empty for a dense matrix
    std::vector<std::size_t> m_blockOffset; // per block: its first element
    std::vector<int> m_blockSize;           // per block
};

} // namespace lum
