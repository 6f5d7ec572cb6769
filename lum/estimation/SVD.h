#pragma once

#include "lum/estimation/DenseMatrix.h"

#include <vector>

namespace NR3 {

// Singular value decomposition A = U diag(w) V^T of an m x n matrix by Householder reduction to
// bidiagonal form and implicit-shift QR (Golub-Reinsch). The singular values are sorted in
// descending order together with their vectors. Throws NRError "no convergence in 30 svdcmp
// iterations" when a singular value does not converge.
//
// A rank test needs the values alone: without the vectors the decomposition skips their
// accumulation and rotation, most of its work, and gives the same values to the last bit.
class SVD
{
public:
    enum class Parts
    {
        ValuesAndVectors,
        ValuesOnly
    };

    explicit SVD(const lum::DenseMatrix& a, Parts parts = Parts::ValuesAndVectors);

    const lum::DenseMatrix& u() const { return m_u; }    // m x n; empty with the values only
    const lum::DenseMatrix& v() const { return m_v; }    // n x n; empty with the values only
    const std::vector<double>& w() const { return m_w; } // n singular values, descending

    // The default threshold below which a singular value counts as zero:
    // 1/2 sqrt(m + n + 1) w_max eps.
    double defaultThreshold() const;
    // Number of singular values above the threshold; a negative threshold means the default.
    int rank(double threshold = -1.0) const;
    int nullity(double threshold = -1.0) const;

private:
    void decompose(std::vector<std::vector<double>>& a, std::vector<double>& w,
                   std::vector<std::vector<double>>& v, bool withVectors) const;
    void reorder();

    int m_m = 0;
    int m_n = 0;
    lum::DenseMatrix m_u;
    lum::DenseMatrix m_v;
    std::vector<double> m_w;
};

} // namespace NR3
