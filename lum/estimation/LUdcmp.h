#pragma once

#include "lum/estimation/DenseMatrix.h"

#include <vector>

namespace NR3 {

// LU decomposition of a square matrix with partial pivoting and implicit row scaling.
// Throws NRError "Singular matrix in LUdcmp" when a row is entirely zero; a zero pivot is
// replaced by a tiny number so that a merely singular matrix still decomposes.
class LUdcmp
{
public:
    explicit LUdcmp(const lum::DenseMatrix& a);

    int size() const { return m_n; }
    // Solves A x = b. Throws "LUdcmp::solve bad sizes" when b or x does not have the matrix's size.
    void solve(const std::vector<double>& b, std::vector<double>& x) const;
    // The inverse of A, solving for each column of the identity.
    void inverse(lum::DenseMatrix& ainv) const;
    double determinant() const;

private:
    int m_n = 0;
    lum::DenseMatrix m_lu;
    std::vector<int> m_index;
    double m_sign = 1.0;
};

} // namespace NR3
