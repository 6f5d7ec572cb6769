#pragma once

#include "lum/estimation/DenseMatrix.h"

#include <QString>

#include <atomic>
#include <vector>

namespace lum {

class Func;
class SoftmaxTransform;

// The covariance of maximum likelihood estimates when the plain inverse of the Hessian does not
// exist: some estimates sit on the boundary of their space, or the data inform only some
// combinations of the parameters. Sparse studies have both in most blocks, and one such
// parameter must not cost every other its standard error.
//
// The parameters are shares of the budgets of a SoftmaxTransform's groups. An estimate at 0,
// the last member of a group whose members use up its whole budget, and every member of a group
// without room are set aside: held at their estimates (variance 0). The sum of a group that
// uses up its budget is held too, its members then moving against each other. The Hessian of the
// negative log-likelihood is taken numerically along the directions that remain (from the exact
// gradient where the function has one); the directions it cannot tell from flat (an eigenvalue
// at most `Tolerance` times the largest, or negative) are the ones the data do not inform, and
// the parameters that move along them are "not estimable" (variance and covariances not a
// number). The others get their covariances from the pseudo-inverse on the informed
// directions, which is the covariance of everything the data identify.
class ReducedCovariance
{
public:
    enum class Status
    {
        Estimated,
        AtBound,
        NotEstimable
    };

    // An estimate this close to a bound, as a share of its group's budget, sits on it.
    static constexpr double BoundDistance = 1e-6;
    // Eigenvalues at most this share of the largest count as flat.
    static constexpr double Tolerance = 1e-9;

    struct Result
    {
        // n x n; rows and columns of the parameters set aside are 0, those of the parameters
        // that are not estimable are not numbers.
        DenseMatrix covariance;
        std::vector<Status> statuses;
        // The number of directions the data inform.
        int rank = 0;
        int atBound() const;
        int notEstimable() const;
    };

    // The parameters of x that sit at a bound of their space: a share at 0, or one that uses
    // up its group's whole budget alone (a probability at 1), as `compute` sets them aside.
    static std::vector<int> atBound(const std::vector<double>& x,
                                    const SoftmaxTransform& transform);

    // `cancelled` is borrowed; `step` is the relative difference step.
    ReducedCovariance(const std::atomic<bool>& cancelled, double step);

    // False when cancelled. `transform` gives the groups and budgets of x's parameters.
    bool compute(Func& func, const std::vector<double>& x, const SoftmaxTransform& transform,
                 Result& result) const;

private:
    const std::atomic<bool>& m_cancelled;
    double m_step;
};

} // namespace lum
