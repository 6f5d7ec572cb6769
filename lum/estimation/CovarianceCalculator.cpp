#include "lum/estimation/CovarianceCalculator.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/LUdcmp.h"
#include "lum/estimation/NRError.h"
#include "lum/estimation/NumericalHessian.h"
#include "lum/estimation/SVD.h"
#include "lum/estimation/SparseHessian.h"

#include <Eigen/Dense>
#include <Eigen/SparseCholesky>

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

Expected<bool> CovarianceCalculator::compute(Func& func, const std::vector<double>& x,
                                             DenseMatrix& covariance, DenseMatrix* hessianOut)
{
    // The numerical routines below throw; their failures end here.
    try {
        return computeInto(func, x, covariance, hessianOut);
    } catch (const std::exception& e) {
        return Error(JobError::Failed, QString::fromLatin1(e.what()));
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
    invertInto(hessian, covariance);
    return true;
}

Expected<bool> CovarianceCalculator::computeFrom(const DenseMatrix& hessian,
                                                 DenseMatrix& covariance)
{
    try {
        invertInto(hessian, covariance);
        return true;
    } catch (const std::exception& e) {
        return Error(JobError::Failed, QString::fromLatin1(e.what()));
    }
}

void CovarianceCalculator::invertInto(const DenseMatrix& hessian, DenseMatrix& covariance)
{
    const int n = hessian.rows();
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
}

bool CovarianceCalculator::computeSparse(Func& func, const std::vector<double>& x,
                                         DenseMatrix& covariance, DenseMatrix* hessianOut)
{
    // The smallest pivot of the LDLT, against the largest, that counts as clearly positive:
    // well above where the dense SVD would call the Hessian rank deficient.
    constexpr double CLEARLY_POSITIVE = 1e-9;
    const int n = static_cast<int>(x.size());
    if (n == 0 || !func.hasExactGradient())
        return false;
    SparseHessian hessian(func, n);
    if (!hessian.compute(x, m_step, SparseHessian::Step::Relative, m_cancelled) || m_cancelled)
        return false;
    const SparseHessian::Matrix& h = hessian.matrix();
    // Where the factor does not settle it, the caller decides on this Hessian the dense way.
    const auto undecided = [&] {
        if (hessianOut != nullptr) {
            hessianOut->resize(n, n);
            for (int j = 0; j < n; ++j)
                for (SparseHessian::Matrix::InnerIterator it(h, j); it; ++it)
                    (*hessianOut)(static_cast<int>(it.row()), j) = it.value();
        }
        return false;
    };
    for (int p = 0; p < h.nonZeros(); ++p)
        if (!std::isfinite(h.valuePtr()[p]))
            return undecided();
    Eigen::SimplicialLDLT<SparseHessian::Matrix, Eigen::Lower, Eigen::AMDOrdering<int>> ldlt(h);
    if (ldlt.info() != Eigen::Success)
        return undecided();
    const Eigen::VectorXd& d = ldlt.vectorD();
    if (!(d.minCoeff() > CLEARLY_POSITIVE * d.maxCoeff()))
        return undecided();
    // Column by column, so that only the one dense matrix of the result is held.
    DenseMatrix result(n, n);
    Eigen::VectorXd unit = Eigen::VectorXd::Zero(n);
    Eigen::VectorXd column(n);
    for (int j = 0; j < n; ++j) {
        if (m_cancelled)
            return false;
        unit[j] = 1.0;
        column = ldlt.solve(unit);
        unit[j] = 0.0;
        for (int i = 0; i < n; ++i)
            result(i, j) = column[i];
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            result(i, j) = result(j, i) = 0.5 * (result(i, j) + result(j, i));
    if (!hasUsableVariances(result))
        return false;
    covariance = std::move(result);
    return true;
}

} // namespace lum
