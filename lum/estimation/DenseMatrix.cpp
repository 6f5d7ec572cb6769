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

void DenseMatrix::resize(int rows, int columns, double fill)
{
    if (rows < 0 || columns < 0)
        throw std::invalid_argument("DenseMatrix: negative size");
    m_rows = rows;
    m_columns = columns;
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
    return m_rows == other.m_rows && m_columns == other.m_columns && m_elements == other.m_elements;
}

} // namespace lum
