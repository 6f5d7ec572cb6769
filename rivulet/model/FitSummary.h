#pragma once

#include <QString>

#include <vector>

namespace rivulet {

// How the optimizers' work on a model ended.
enum class FitEnding
{
    Converged,
    IterationLimit, // an optimizer ran into its iteration or evaluation limit
    Canceled,
    Failed
};

// Whether the covariance matrix of a block of parameters could be computed.
enum class CovarianceStatus
{
    Computed,
    Singular,            // the Hessian is singular or has an unusable inverse
    NotPositiveDefinite, // the inverse exists but gives some combination a variance <= 0
    NotComputed          // never tried (the fit did not converge) or failed otherwise
};

// The covariance of one block of parameters that the fit treated as its own problem.
struct BlockCovariance
{
    CovarianceStatus status = CovarianceStatus::NotComputed;
    // Why there is none; empty when Computed.
    QString message;
    // The model's free parameters of the block, ascending.
    std::vector<int> parameters;
};

// What a model's fit came to, apart from its numbers: kept with every recorded model so that a
// table can say how its fit ended and why it has no standard errors.
struct FitSummary
{
    FitEnding ending = FitEnding::Failed;
    QString message;                     // why it failed / stopped; empty when converged
    int iterations = 0;                  // optimizer iterations, summed over blocks and restarts
    long long evaluations = 0;           // likelihood evaluations (whole or partial)
    double logLikelihood = 0.0;          // ln L at the estimates (0 when not converged)
    std::vector<BlockCovariance> blocks; // one per parameter block (one for a model fitted as
                                         // one piece)

    // Every block Computed.
    bool hasCovariance() const;
    // The first non-Computed block's status, else Computed.
    CovarianceStatus covarianceStatus() const;
    // A short text for tables: "converged", "converged; covariance singular", "converged;
    // covariance not positive definite", "iteration limit", "canceled", "failed".
    QString statusText() const;
    // One readable sentence for a log, without the model's name: how the fit ended, in how
    // many iterations, and whether there is a covariance (naming the block that has none).
    QString description() const;
};

} // namespace rivulet
