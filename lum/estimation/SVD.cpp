#include "lum/estimation/SVD.h"

#include "lum/estimation/NRError.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace NR3 {

namespace {

using Matrix = std::vector<std::vector<double>>;

// sqrt(a^2 + b^2) without destructive overflow or underflow.
double pythag(double a, double b)
{
    const double absa = std::abs(a);
    const double absb = std::abs(b);
    if (absa > absb) {
        const double r = absb / absa;
        return absa * std::sqrt(1.0 + r * r);
    }
    if (absb == 0.0)
        return 0.0;
    const double r = absa / absb;
    return absb * std::sqrt(1.0 + r * r);
}

double withSignOf(double magnitude, double sign)
{
    return sign >= 0.0 ? std::abs(magnitude) : -std::abs(magnitude);
}

} // namespace

SVD::SVD(const lum::DenseMatrix& a, Parts parts) : m_m(a.rows()), m_n(a.columns())
{
    const bool withVectors = parts == Parts::ValuesAndVectors;
    // The reduction below is written with indices from 1, as the algorithm is usually stated;
    // row and column 0 of the work arrays are unused.
    Matrix u(static_cast<std::size_t>(m_m + 1), std::vector<double>(m_n + 1, 0.0));
    Matrix v(withVectors ? static_cast<std::size_t>(m_n + 1) : 0U,
             std::vector<double>(m_n + 1, 0.0));
    std::vector<double> w(static_cast<std::size_t>(m_n + 1), 0.0);
    for (int i = 0; i < m_m; ++i)
        for (int j = 0; j < m_n; ++j)
            u[i + 1][j + 1] = a(i, j);

    decompose(u, w, v, withVectors);

    m_w.assign(w.begin() + 1, w.end());
    if (withVectors) {
        m_u.resize(m_m, m_n);
        m_v.resize(m_n, m_n);
        for (int i = 0; i < m_m; ++i)
            for (int j = 0; j < m_n; ++j)
                m_u(i, j) = u[i + 1][j + 1];
        for (int i = 0; i < m_n; ++i)
            for (int j = 0; j < m_n; ++j)
                m_v(i, j) = v[i + 1][j + 1];
    }
    reorder();
}

void SVD::decompose(Matrix& a, std::vector<double>& w, Matrix& v, bool withVectors) const
{
    const int m = m_m;
    const int n = m_n;
    std::vector<double> rv1(static_cast<std::size_t>(n + 1), 0.0);
    std::vector<double> work(static_cast<std::size_t>(n + 1), 0.0);
    double g = 0.0;
    double scale = 0.0;
    double anorm = 0.0;
    int l = 0;

    // Householder reduction to bidiagonal form.
    for (int i = 1; i <= n; ++i) {
        l = i + 1;
        rv1[i] = scale * g;
        g = 0.0;
        double s = 0.0;
        scale = 0.0;
        if (i <= m) {
            for (int k = i; k <= m; ++k)
                scale += std::abs(a[k][i]);
            if (scale != 0.0) {
                for (int k = i; k <= m; ++k) {
                    a[k][i] /= scale;
                    s += a[k][i] * a[k][i];
                }
                const double f = a[i][i];
                g = -withSignOf(std::sqrt(s), f);
                const double h = f * g - s;
                a[i][i] = f - g;
                // Column i reflects every later column. The sums run down the rows, as the
                // matrix is stored by rows, in the same order as a column-wise loop would.
                std::fill(work.begin() + l, work.end(), 0.0);
                for (int k = i; k <= m; ++k) {
                    const double aki = a[k][i];
                    const double* row = a[k].data();
                    for (int j = l; j <= n; ++j)
                        work[j] += aki * row[j];
                }
                for (int j = l; j <= n; ++j)
                    work[j] /= h;
                for (int k = i; k <= m; ++k) {
                    const double aki = a[k][i];
                    double* row = a[k].data();
                    for (int j = l; j <= n; ++j)
                        row[j] += work[j] * aki;
                }
                for (int k = i; k <= m; ++k)
                    a[k][i] *= scale;
            }
        }
        w[i] = scale * g;
        g = 0.0;
        s = 0.0;
        scale = 0.0;
        if (i <= m && i != n) {
            for (int k = l; k <= n; ++k)
                scale += std::abs(a[i][k]);
            if (scale != 0.0) {
                for (int k = l; k <= n; ++k) {
                    a[i][k] /= scale;
                    s += a[i][k] * a[i][k];
                }
                const double f = a[i][l];
                g = -withSignOf(std::sqrt(s), f);
                const double h = f * g - s;
                a[i][l] = f - g;
                for (int k = l; k <= n; ++k)
                    rv1[k] = a[i][k] / h;
                for (int j = l; j <= m; ++j) {
                    double sum = 0.0;
                    for (int k = l; k <= n; ++k)
                        sum += a[j][k] * a[i][k];
                    for (int k = l; k <= n; ++k)
                        a[j][k] += sum * rv1[k];
                }
                for (int k = l; k <= n; ++k)
                    a[i][k] *= scale;
            }
        }
        anorm = std::max(anorm, std::abs(w[i]) + std::abs(rv1[i]));
    }

    // Accumulation of the right-hand transformations.
    for (int i = n; withVectors && i >= 1; --i) {
        if (i < n) {
            if (g != 0.0) {
                for (int j = l; j <= n; ++j) // double division avoids a possible underflow
                    v[j][i] = (a[i][j] / a[i][l]) / g;
                for (int j = l; j <= n; ++j) {
                    double sum = 0.0;
                    for (int k = l; k <= n; ++k)
                        sum += a[i][k] * v[k][j];
                    for (int k = l; k <= n; ++k)
                        v[k][j] += sum * v[k][i];
                }
            }
            for (int j = l; j <= n; ++j)
                v[i][j] = v[j][i] = 0.0;
        }
        v[i][i] = 1.0;
        g = rv1[i];
        l = i;
    }

    // Accumulation of the left-hand transformations.
    for (int i = std::min(m, n); withVectors && i >= 1; --i) {
        l = i + 1;
        g = w[i];
        for (int j = l; j <= n; ++j)
            a[i][j] = 0.0;
        if (g != 0.0) {
            g = 1.0 / g;
            for (int j = l; j <= n; ++j) {
                double sum = 0.0;
                for (int k = l; k <= m; ++k)
                    sum += a[k][i] * a[k][j];
                const double f = (sum / a[i][i]) * g;
                for (int k = i; k <= m; ++k)
                    a[k][j] += f * a[k][i];
            }
            for (int j = i; j <= m; ++j)
                a[j][i] *= g;
        } else {
            for (int j = i; j <= m; ++j)
                a[j][i] = 0.0;
        }
        a[i][i] += 1.0;
    }

    // Diagonalisation of the bidiagonal form: loop over singular values, and over allowed
    // iterations.
    for (int k = n; k >= 1; --k) {
        for (int its = 1; its <= 30; ++its) {
            bool cancel = true;
            int nm = 0;
            for (l = k; l >= 1; --l) { // test for splitting; rv1[1] is always zero
                nm = l - 1;
                if (std::abs(rv1[l]) + anorm == anorm) {
                    cancel = false;
                    break;
                }
                if (std::abs(w[nm]) + anorm == anorm)
                    break;
            }
            if (cancel) { // cancellation of rv1[l] if l > 1
                double c = 0.0;
                double s = 1.0;
                for (int i = l; i <= k; ++i) {
                    const double f = s * rv1[i];
                    rv1[i] = c * rv1[i];
                    if (std::abs(f) + anorm == anorm)
                        break;
                    g = w[i];
                    double h = pythag(f, g);
                    w[i] = h;
                    h = 1.0 / h;
                    c = g * h;
                    s = -f * h;
                    for (int j = 1; withVectors && j <= m; ++j) {
                        const double y = a[j][nm];
                        const double z = a[j][i];
                        a[j][nm] = y * c + z * s;
                        a[j][i] = z * c - y * s;
                    }
                }
            }
            double z = w[k];
            if (l == k) { // convergence: make the singular value non-negative
                if (z < 0.0) {
                    w[k] = -z;
                    for (int j = 1; withVectors && j <= n; ++j)
                        v[j][k] = -v[j][k];
                }
                break;
            }
            if (its == 30)
                throw NRError("no convergence in 30 svdcmp iterations");
            double x = w[l]; // shift from the bottom 2 x 2 minor
            nm = k - 1;
            double y = w[nm];
            g = rv1[nm];
            double h = rv1[k];
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = pythag(f, 1.0);
            f = ((x - z) * (x + z) + h * ((y / (f + withSignOf(g, f))) - h)) / x;
            double c = 1.0;
            double s = 1.0;
            for (int j = l; j <= nm; ++j) { // next QR transformation
                const int i = j + 1;
                g = rv1[i];
                y = w[i];
                h = s * g;
                g = c * g;
                z = pythag(f, h);
                rv1[j] = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y *= c;
                for (int jj = 1; withVectors && jj <= n; ++jj) {
                    x = v[jj][j];
                    z = v[jj][i];
                    v[jj][j] = x * c + z * s;
                    v[jj][i] = z * c - x * s;
                }
                z = pythag(f, h);
                w[j] = z; // the rotation can be arbitrary when z is 0
                if (z != 0.0) {
                    z = 1.0 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                for (int jj = 1; withVectors && jj <= m; ++jj) {
                    y = a[jj][j];
                    z = a[jj][i];
                    a[jj][j] = y * c + z * s;
                    a[jj][i] = z * c - y * s;
                }
            }
            rv1[l] = 0.0;
            rv1[k] = f;
            w[k] = x;
        }
    }
}

void SVD::reorder()
{
    std::vector<int> order(static_cast<std::size_t>(m_n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return m_w[a] > m_w[b]; });

    const std::vector<double> w = m_w;
    for (int k = 0; k < m_n; ++k)
        m_w[k] = w[order[k]];
    if (m_u.isEmpty())
        return;
    const lum::DenseMatrix u = m_u;
    const lum::DenseMatrix v = m_v;
    for (int k = 0; k < m_n; ++k) {
        const int from = order[k];
        for (int i = 0; i < m_m; ++i)
            m_u(i, k) = u(i, from);
        for (int i = 0; i < m_n; ++i)
            m_v(i, k) = v(i, from);
    }
}

double SVD::defaultThreshold() const
{
    constexpr double EPS = 2.220446049250313e-16;
    const double wmax = m_w.empty() ? 0.0 : m_w.front();
    return 0.5 * std::sqrt(m_m + m_n + 1.0) * wmax * EPS;
}

int SVD::rank(double threshold) const
{
    const double limit = threshold >= 0.0 ? threshold : defaultThreshold();
    return static_cast<int>(
        std::count_if(m_w.begin(), m_w.end(), [limit](double w) { return w > limit; }));
}

int SVD::nullity(double threshold) const
{
    return m_n - rank(threshold);
}

} // namespace NR3
