#include "lum/estimation/LdlFactors.h"

#include <algorithm>

namespace lum {

void LdlFactors::setIdentity(int n)
{
    m_n = n;
    m_packed.assign(index(n, 0), 0.0);
    for (int i = 0; i < n; ++i)
        m_packed[index(i, i)] = 1.0;
    m_w.resize(static_cast<std::size_t>(n));
    m_v.resize(static_cast<std::size_t>(n));
    m_t.resize(static_cast<std::size_t>(n) + 1);
}

void LdlFactors::solve(const std::vector<double>& rhs, std::vector<double>& x) const
{
    x.resize(static_cast<std::size_t>(m_n));
    for (int i = 0; i < m_n; ++i) { // L y = rhs
        double sum = rhs[i];
        for (int k = 0; k < i; ++k)
            sum -= l(i, k) * x[k];
        x[i] = sum;
    }
    for (int i = 0; i < m_n; ++i) // D z = y
        x[i] /= d(i);
    for (int i = m_n - 1; i >= 0; --i) { // L^T x = z
        double sum = x[i];
        for (int k = i + 1; k < m_n; ++k)
            sum -= l(k, i) * x[k];
        x[i] = sum;
    }
}

// With v = L^-1 z, B + sigma z z^T = L (D + sigma v v^T) L^T, and D + sigma v v^T factorises
// with the ratios t(j+1) = t(j) + sigma v(j)^2 / d(j), t(0) = 1 (Fletcher and Powell). For a
// negative sigma the ratios are formed from the last one backwards, after that one has been
// kept positive, so that every new d(j) stays positive whatever the rounding.
void LdlFactors::rankOneUpdate(double sigma, const std::vector<double>& z)
{
    if (sigma == 0.0 || m_n == 0)
        return;
    constexpr double SMALLEST_RATIO = 2.220446049250313e-16;
    const int n = m_n;
    for (int i = 0; i < n; ++i) {
        double sum = z[i];
        for (int k = 0; k < i; ++k)
            sum -= l(i, k) * m_v[k];
        m_v[i] = sum;
    }
    m_t[0] = 1.0;
    for (int j = 0; j < n; ++j)
        m_t[j + 1] = m_t[j] + sigma * m_v[j] * m_v[j] / d(j);
    if (sigma < 0.0) {
        m_t[n] = std::max(m_t[n], SMALLEST_RATIO);
        for (int j = n - 1; j >= 0; --j)
            m_t[j] = m_t[j + 1] - sigma * m_v[j] * m_v[j] / d(j);
    }

    for (int i = 0; i < n; ++i)
        m_w[i] = z[i];
    for (int j = 0; j < n; ++j) {
        const double p = m_v[j];
        const double dj = d(j);
        const double beta = sigma * p / (dj * m_t[j + 1]);
        m_packed[index(j, j)] = dj * m_t[j + 1] / m_t[j];
        for (int r = j + 1; r < n; ++r) {
            m_w[r] -= p * l(r, j);
            m_packed[index(r, j)] += beta * m_w[r];
        }
    }
}

DenseMatrix LdlFactors::matrix() const
{
    DenseMatrix b(m_n, m_n);
    for (int r = 0; r < m_n; ++r)
        for (int c = 0; c < m_n; ++c) {
            double sum = 0.0;
            for (int k = 0; k <= std::min(r, c); ++k) {
                const double lr = (k == r) ? 1.0 : l(r, k);
                const double lc = (k == c) ? 1.0 : l(c, k);
                sum += lr * d(k) * lc;
            }
            b(r, c) = sum;
        }
    return b;
}

} // namespace lum
