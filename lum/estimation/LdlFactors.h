#pragma once

#include "lum/estimation/DenseMatrix.h"

#include <vector>

namespace lum {

// A symmetric positive definite matrix B = L D L^T held by its factors, packed by rows into
// n(n+1)/2 numbers: row r holds L(r,0..r-1) followed by D(r). Rank-one corrections update the
// factors directly and keep B positive definite.
class LdlFactors
{
public:
    void setIdentity(int n);
    int size() const { return m_n; }

    // Solves B x = rhs.
    void solve(const std::vector<double>& rhs, std::vector<double>& x) const;
    // B += sigma z z^T. A correction that would make B indefinite (sigma < 0, rounding) is
    // limited so that B stays positive definite.
    void rankOneUpdate(double sigma, const std::vector<double>& z);

    double d(int i) const { return m_packed[index(i, i)]; }
    double l(int r, int c) const { return m_packed[index(r, c)]; }
    DenseMatrix matrix() const;

private:
    void forwardSubstitute(const double* rhs, double* x) const;
    void correctRows(const double* z);

    static std::size_t index(int r, int c)
    {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(r + 1) / 2 +
               static_cast<std::size_t>(c);
    }

    int m_n = 0;
    std::vector<double> m_packed;
    std::vector<double> m_beta;
    std::vector<double> m_v;
    std::vector<double> m_t;
};

} // namespace lum
