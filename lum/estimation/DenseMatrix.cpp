#include "lum/estimation/DenseMatrix.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace lum {

DenseMatrix::DenseMatrix(int rows, int columns, double fill)
{
    resize(rows, columns, fill);
}

DenseMatrix DenseMatrix::identity(int n)
{
    DenseMatrix m(n, n);
    for (int i = 0; i < n; ++i)
        m(i, i) = 1.0;
    return m;
}

DenseMatrix DenseMatrix::blockDiagonal(int n, const std::vector<std::vector<int>>& blocks,
                                       const std::vector<DenseMatrix>& values)
{
    if (n < 0 || blocks.size() != values.size())
        throw std::invalid_argument("DenseMatrix: blocks and values differ in number");
    DenseMatrix m;
    m.m_rows = n;
    m.m_columns = n;
    m.m_place.assign(static_cast<std::size_t>(n), Place{});
    std::size_t total = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const int size = static_cast<int>(blocks[b].size());
        if (values[b].rows() != size || values[b].columns() != size || values[b].isBlockDiagonal())
            throw std::invalid_argument("DenseMatrix: a block's values do not fit its indices");
        m.m_blockOffset.push_back(total);
        m.m_blockSize.push_back(size);
        for (int i = 0; i < size; ++i) {
            const int index = blocks[b][static_cast<std::size_t>(i)];
            if (index < 0 || index >= n || m.m_place[static_cast<std::size_t>(index)].block >= 0)
                throw std::invalid_argument("DenseMatrix: a block index out of range or repeated");
            m.m_place[static_cast<std::size_t>(index)] = Place{static_cast<int>(b), i};
        }
        total += values[b].elements().size();
    }
    m.m_elements.reserve(total);
    for (const DenseMatrix& block : values)
        m.m_elements.insert(m.m_elements.end(), block.elements().begin(), block.elements().end());
    if (n == 0)
        m.m_place.clear();
    return m;
}

std::size_t DenseMatrix::rowIndex(int r) const
{
    if (!m_place.empty())
        throw std::logic_error("DenseMatrix: a block-diagonal matrix has no row pointers");
    return index(r, 0);
}

double DenseMatrix::blockElement(int r, int c) const
{
    const Place& pr = m_place[static_cast<std::size_t>(r)];
    const Place& pc = m_place[static_cast<std::size_t>(c)];
    if (pr.block < 0 || pr.block != pc.block)
        return 0.0;
    const auto b = static_cast<std::size_t>(pr.block);
    return m_elements[m_blockOffset[b] +
                      static_cast<std::size_t>(pr.position) *
                          static_cast<std::size_t>(m_blockSize[b]) +
                      static_cast<std::size_t>(pc.position)];
}

double& DenseMatrix::blockElementRef(int r, int c)
{
    const Place& pr = m_place[static_cast<std::size_t>(r)];
    const Place& pc = m_place[static_cast<std::size_t>(c)];
    if (pr.block < 0 || pr.block != pc.block)
        throw std::logic_error("DenseMatrix: element outside the diagonal blocks");
    const auto b = static_cast<std::size_t>(pr.block);
    return m_elements[m_blockOffset[b] +
                      static_cast<std::size_t>(pr.position) *
                          static_cast<std::size_t>(m_blockSize[b]) +
                      static_cast<std::size_t>(pc.position)];
}

void DenseMatrix::resize(int rows, int columns, double fill)
{
    if (rows < 0 || columns < 0)
        throw std::invalid_argument("DenseMatrix: negative size");
    m_rows = rows;
    m_columns = columns;
    m_place.clear();
    m_blockOffset.clear();
    m_blockSize.clear();
    m_elements.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), fill);
}

void DenseMatrix::fill(double value)
{
    std::fill(m_elements.begin(), m_elements.end(), value);
}

bool DenseMatrix::isFinite() const
{
    return std::all_of(m_elements.begin(), m_elements.end(),
                       [](double v) { return std::isfinite(v); });
}

bool DenseMatrix::operator==(const DenseMatrix& other) const
{
    if (m_rows != other.m_rows || m_columns != other.m_columns)
        return false;
    if (m_place.empty() && other.m_place.empty())
        return m_elements == other.m_elements;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_columns; ++c)
            if ((*this)(r, c) != other(r, c))
                return false;
    return true;
}

} // namespace lum
