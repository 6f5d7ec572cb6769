#include "lum/estimation/LdlFactors.h"

#include <algorithm>

namespace lum {

// The loops below run down rows of L four at a time. Each row's sum is a chain of dependent
// multiply-adds; four independent chains keep the processor busy where one would wait on each
// step. Every row still sees its operations in the same order, so the results are the same to
// the last bit as one row at a time.
namespace {
constexpr int ROWS_AT_ONCE = 4;
} // namespace

// x = L^-1 rhs (L with unit diagonal).
void LdlFactors::forwardSubstitute(const double* rhs, double* x) const
{
    int i = 0;
    for (; i + ROWS_AT_ONCE <= m_n; i += ROWS_AT_ONCE) {
        const double* l0 = m_packed.data() + index(i, 0);
        const double* l1 = m_packed.data() + index(i + 1, 0);
        const double* l2 = m_packed.data() + index(i + 2, 0);
        const double* l3 = m_packed.data() + index(i + 3, 0);
        double s0 = rhs[i];
        double s1 = rhs[i + 1];
        double s2 = rhs[i + 2];
        double s3 = rhs[i + 3];
        for (int k = 0; k < i; ++k) {
            const double xk = x[k];
            s0 -= l0[k] * xk;
            s1 -= l1[k] * xk;
            s2 -= l2[k] * xk;
            s3 -= l3[k] * xk;
        }
        x[i] = s0;
        s1 -= l1[i] * x[i];
        x[i + 1] = s1;
        s2 -= l2[i] * x[i];
        s2 -= l2[i + 1] * x[i + 1];
        x[i + 2] = s2;
        s3 -= l3[i] * x[i];
        s3 -= l3[i + 1] * x[i + 1];
        s3 -= l3[i + 2] * x[i + 2];
        x[i + 3] = s3;
    }
    for (; i < m_n; ++i) {
        const double* li = m_packed.data() + index(i, 0);
        double sum = rhs[i];
        for (int k = 0; k < i; ++k)
            sum -= li[k] * x[k];
        x[i] = sum;
    }
}

// Row r of the correction of L: w = z(r); for each column j < r, w -= v(j) L(r,j), then
// L(r,j) += beta(j) w.
void LdlFactors::correctRows(const double* z)
{
    const double* v = m_v.data();
    const double* beta = m_beta.data();
    auto correctTail = [v, beta](double* row, double& w, int from, int to) {
        for (int j = from; j < to; ++j) {
            w -= v[j] * row[j];
            row[j] += beta[j] * w;
        }
    };
    int r = 0;
    for (; r + ROWS_AT_ONCE <= m_n; r += ROWS_AT_ONCE) {
        double* l0 = m_packed.data() + index(r, 0);
        double* l1 = m_packed.data() + index(r + 1, 0);
        double* l2 = m_packed.data() + index(r + 2, 0);
        double* l3 = m_packed.data() + index(r + 3, 0);
        double w0 = z[r];
        double w1 = z[r + 1];
        double w2 = z[r + 2];
        double w3 = z[r + 3];
        for (int j = 0; j < r; ++j) {
            const double vj = v[j];
            const double bj = beta[j];
            w0 -= vj * l0[j];
            l0[j] += bj * w0;
            w1 -= vj * l1[j];
            l1[j] += bj * w1;
            w2 -= vj * l2[j];
            l2[j] += bj * w2;
            w3 -= vj * l3[j];
            l3[j] += bj * w3;
        }
        correctTail(l1, w1, r, r + 1);
        correctTail(l2, w2, r, r + 2);
        correctTail(l3, w3, r, r + 3);
    }
    for (; r < m_n; ++r) {
        double w = z[r];
        correctTail(m_packed.data() + index(r, 0), w, 0, r);
    }
}

void LdlFactors::setIdentity(int n)
{
    m_n = n;
    m_packed.assign(index(n, 0), 0.0);
    for (int i = 0; i < n; ++i)
        m_packed[index(i, i)] = 1.0;
    m_beta.resize(static_cast<std::size_t>(n));
    m_v.resize(static_cast<std::size_t>(n));
    m_t.resize(static_cast<std::size_t>(n) + 1);
}

void LdlFactors::solve(const std::vector<double>& rhs, std::vector<double>& x) const
{
    x.resize(static_cast<std::size_t>(m_n));
    forwardSubstitute(rhs.data(), x.data()); // L y = rhs
    for (int i = 0; i < m_n; ++i)            // D z = y
        x[i] /= d(i);
    // L^T x = z, a row of L at a time: once x(k) is final, row k of L removes its share
    // from every earlier x.
    for (int k = m_n - 1; k > 0; --k) {
        const double* row = m_packed.data() + index(k, 0);
        const double xk = x[k];
        for (int i = 0; i < k; ++i)
            x[i] -= row[i] * xk;
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
    forwardSubstitute(z.data(), m_v.data());
    m_t[0] = 1.0;
    for (int j = 0; j < n; ++j)
        m_t[j + 1] = m_t[j] + sigma * m_v[j] * m_v[j] / d(j);
    if (sigma < 0.0) {
        m_t[n] = std::max(m_t[n], SMALLEST_RATIO);
        for (int j = n - 1; j >= 0; --j)
            m_t[j] = m_t[j + 1] - sigma * m_v[j] * m_v[j] / d(j);
    }

    // Column j of L is corrected with w, the part of z not yet explained by columns 0..j-1.
    // Row r needs only its own w, so the rows are walked as they are stored.
    for (int j = 0; j < n; ++j)
        m_beta[j] = sigma * m_v[j] / (d(j) * m_t[j + 1]);
    correctRows(z.data());
    for (int j = 0; j < n; ++j)
        m_packed[index(j, j)] = d(j) * m_t[j + 1] / m_t[j];
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
