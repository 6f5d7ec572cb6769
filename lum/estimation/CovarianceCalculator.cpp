#include "lum/estimation/CovarianceCalculator.h"

#include "lum/estimation/LUdcmp.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/NumericalHessian.h"
#include "lum/estimation/SVD.h"

#include <cmath>
#include <exception>

namespace lum {

namespace {

// Standard errors are the square roots of the variances: each must be a positive number.
bool hasUsableVariances(const DenseMatrix& covariance)
{
    if (!covariance.isFinite())
        return false;
    for (int i = 0; i < covariance.rows(); ++i)
        if (!(covariance(i, i) > 0.0))
            return false;
    return true;
}

} // namespace

const char* const CovarianceCalculator::SingularHessian =
    "Singular Hessian in calculating covariance matrix";

CovarianceCalculator::CovarianceCalculator(const std::atomic<bool>& cancelled, double step)
    : m_cancelled(cancelled), m_step(step)
{
}

void CovarianceCalculator::compute(Func& func, const std::vector<double>& x,
                                   DenseMatrix& covariance, DenseMatrix* hessianOut, bool* ok)
{
    m_errorText.clear();
    if (ok == nullptr) {
        computeInto(func, x, covariance, hessianOut);
        return;
    }
    *ok = true;
    try {
        *ok = computeInto(func, x, covariance, hessianOut);
    } catch (const std::exception& e) {
        *ok = false;
        m_errorText = QString::fromLatin1(e.what());
    }
}

// False when cancelled; throws NR3::NRError when there is no covariance.
bool CovarianceCalculator::computeInto(Func& func, const std::vector<double>& x,
                                       DenseMatrix& covariance, DenseMatrix* hessianOut)
{
    const int n = static_cast<int>(x.size());
    if (covariance.rows() != n || covariance.columns() != n)
        covariance.resize(n, n);
    DenseMatrix hessian(n, n);
    if (!NumericalHessian(m_cancelled, m_step).compute(func, x, hessian) || m_cancelled)
        return false;
    if (hessianOut != nullptr)
        *hessianOut = hessian;

    if (!hessian.isFinite())
        throw NR3::NRError(SingularHessian);
    const NR3::SVD svd(hessian, NR3::SVD::Parts::ValuesOnly);
    if (svd.rank() < n)
        throw NR3::NRError(SingularHessian);
    DenseMatrix inverse;
    NR3::LUdcmp(hessian).inverse(inverse);
    if (!hasUsableVariances(inverse))
        throw NR3::NRError(SingularHessian);
    covariance = inverse;
    return true;
}

} // namespace lum
