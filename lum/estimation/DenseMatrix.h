#pragma once

#include <vector>

namespace lum {

// A dense matrix of doubles stored row by row in one array: the Hessian and the covariance
// matrix of a fit (numFree x numFree).
class DenseMatrix
{
public:
    DenseMatrix() = default;
    DenseMatrix(int rows, int columns, double fill = 0.0);
    static DenseMatrix identity(int n);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    bool isEmpty() const { return m_elements.empty(); }

    double operator()(int r, int c) const { return m_elements[index(r, c)]; }
    double& operator()(int r, int c) { return m_elements[index(r, c)]; }
    const double* row(int r) const { return m_elements.data() + index(r, 0); }
    double* row(int r) { return m_elements.data() + index(r, 0); }
    // All elements, row-major.
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

    int m_rows = 0;
    int m_columns = 0;
    std::vector<double> m_elements;
};

} // namespace lum
