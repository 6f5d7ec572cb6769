#include "lum/estimation/LUdcmp.h"

#include "lum/estimation/NRError.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace NR3 {

LUdcmp::LUdcmp(const lum::DenseMatrix& a) : m_n(a.rows()), m_lu(a), m_index(a.rows())
{
    constexpr double TINY = 1.0e-40;
    if (a.rows() != a.columns())
        throw NRError("LUdcmp: matrix is not square");

    const int n = m_n;
    std::vector<double> scale(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        double big = 0.0;
        for (int j = 0; j < n; ++j)
            big = std::max(big, std::abs(m_lu(i, j)));
        if (big == 0.0)
            throw NRError("Singular matrix in LUdcmp");
        scale[i] = 1.0 / big;
    }
    for (int k = 0; k < n; ++k) {
        double big = 0.0;
        int imax = k;
        for (int i = k; i < n; ++i) {
            const double candidate = scale[i] * std::abs(m_lu(i, k));
            if (candidate > big) {
                big = candidate;
                imax = i;
            }
        }
        if (k != imax) {
            for (int j = 0; j < n; ++j)
                std::swap(m_lu(imax, j), m_lu(k, j));
            m_sign = -m_sign;
            scale[imax] = scale[k];
        }
        m_index[k] = imax;
        if (m_lu(k, k) == 0.0)
            m_lu(k, k) = TINY;
        for (int i = k + 1; i < n; ++i) {
            const double factor = m_lu(i, k) /= m_lu(k, k);
            for (int j = k + 1; j < n; ++j)
                m_lu(i, j) -= factor * m_lu(k, j);
        }
    }
}

void LUdcmp::solve(const std::vector<double>& b, std::vector<double>& x) const
{
    const auto n = static_cast<std::size_t>(m_n);
    if (b.size() != n || x.size() != n)
        throw NRError("LUdcmp::solve bad sizes");
    x = b;
    int firstNonZero = 0;
    for (int i = 0; i < m_n; ++i) {
        const int ip = m_index[i];
        double sum = x[ip];
        x[ip] = x[i];
        if (firstNonZero != 0) {
            for (int j = firstNonZero - 1; j < i; ++j)
                sum -= m_lu(i, j) * x[j];
        } else if (sum != 0.0) {
            firstNonZero = i + 1;
        }
        x[i] = sum;
    }
    for (int i = m_n - 1; i >= 0; --i) {
        double sum = x[i];
        for (int j = i + 1; j < m_n; ++j)
            sum -= m_lu(i, j) * x[j];
        x[i] = sum / m_lu(i, i);
    }
}

void LUdcmp::inverse(lum::DenseMatrix& ainv) const
{
    ainv.resize(m_n, m_n);
    const auto n = static_cast<std::size_t>(m_n);
    std::vector<double> column(n);
    std::vector<double> solution(n);
    for (int j = 0; j < m_n; ++j) {
        std::fill(column.begin(), column.end(), 0.0);
        column[j] = 1.0;
        solve(column, solution);
        for (int i = 0; i < m_n; ++i)
            ainv(i, j) = solution[i];
    }
}

double LUdcmp::determinant() const
{
    double det = m_sign;
    for (int i = 0; i < m_n; ++i)
        det *= m_lu(i, i);
    return det;
}

} // namespace NR3
