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
    NotComputed,         // never tried (the fit did not converge) or failed otherwise
    Reduced              // computed with the estimates at a bound and those the data do not
                         // inform set aside (EstimateStatus)
};

// What a free parameter's estimate is, for its standard error.
enum class EstimateStatus
{
    Estimated,   // inside its space, with a standard error
    AtBound,     // at 0 or 1 (or using up its set's budget): held there, no standard error
    NotEstimable // the data inform only combinations of it with others: no standard error
};

// The covariance of one block of parameters that the fit treated as its own problem.
struct BlockCovariance
{
    CovarianceStatus status = CovarianceStatus::NotComputed;
    // Why there is none; empty when Computed.
    QString message;
    // The model's free parameters of the block, ascending.
    std::vector<int> parameters;
    // With a Reduced covariance: how many of them were set aside.
    int atBound = 0;
    int notEstimable = 0;
};

// The 95% profile-likelihood interval of a free parameter (ProfileLikelihood).
struct ProfileInterval
{
    int parameter = 0;
    double lower = 0.0;
    double upper = 0.0;
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
    // Per free parameter, once the covariance is known; empty otherwise.
    std::vector<EstimateStatus> estimates;
    // The number of parameter directions the data inform: the free parameters less those at a
    // bound and those not estimable, less any further flat combination.
    int informedParameters = 0;
    // Profile-likelihood intervals, in the order of their parameters.
    std::vector<ProfileInterval> profiles;

    // Every block Computed or Reduced.
    bool hasCovariance() const;
    // The first status of a block without a covariance, else Reduced when a block has a
    // reduced one, else Computed.
    CovarianceStatus covarianceStatus() const;
    // Estimates set aside in a reduced covariance, over the blocks.
    int atBound() const;
    int notEstimable() const;
    // A short text for tables: "converged", "converged; covariance singular", "converged;
    // covariance not positive definite", "iteration limit", "canceled", "failed".
    QString statusText() const;
    // One readable sentence for a log, without the model's name: how the fit ended, in how
    // many iterations, and whether there is a covariance (naming the block that has none).
    QString description() const;
};

} // namespace rivulet
