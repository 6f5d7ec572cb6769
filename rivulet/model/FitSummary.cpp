#include "rivulet/model/FitSummary.h"

#include <algorithm>

namespace rivulet {

namespace {

QString covarianceText(CovarianceStatus status)
{
    switch (status) {
    case CovarianceStatus::Computed:
        return QStringLiteral("covariance computed");
    case CovarianceStatus::Singular:
        return QStringLiteral("covariance singular");
    case CovarianceStatus::NotPositiveDefinite:
        return QStringLiteral("covariance not positive definite");
    case CovarianceStatus::NotComputed:
        break;
    }
    return QStringLiteral("covariance not computed");
}

} // namespace

bool FitSummary::hasCovariance() const
{
    return covarianceStatus() == CovarianceStatus::Computed;
}

CovarianceStatus FitSummary::covarianceStatus() const
{
    for (const BlockCovariance& block : blocks) {
        if (block.status != CovarianceStatus::Computed) {
            return block.status;
        }
    }
    return CovarianceStatus::Computed;
}

QString FitSummary::statusText() const
{
    switch (ending) {
    case FitEnding::Converged: {
        const CovarianceStatus status = covarianceStatus();
        if (status == CovarianceStatus::Computed) {
            return QStringLiteral("converged");
        }
        return QStringLiteral("converged; ") + covarianceText(status);
    }
    case FitEnding::IterationLimit:
        return QStringLiteral("iteration limit");
    case FitEnding::Canceled:
        return QStringLiteral("canceled");
    case FitEnding::Failed:
        break;
    }
    return QStringLiteral("failed");
}

QString FitSummary::description() const
{
    switch (ending) {
    case FitEnding::Converged:
        break;
    case FitEnding::IterationLimit:
        return QStringLiteral("stopped at the iteration limit; no covariance");
    case FitEnding::Canceled:
        return QStringLiteral("canceled; no covariance");
    case FitEnding::Failed:
        return QStringLiteral("failed; no covariance");
    }
    QString text = QStringLiteral("converged in %1 iterations; ").arg(iterations);
    const CovarianceStatus status = covarianceStatus();
    text += covarianceText(status);
    if (status == CovarianceStatus::Computed || blocks.size() < 2) {
        return text;
    }
    // Of a model fitted in blocks, say which part lacks it: the first such block's size, and
    // how many there are when there are several.
    const auto failing = static_cast<int>(
        std::count_if(blocks.begin(), blocks.end(), [](const BlockCovariance& block) {
            return block.status != CovarianceStatus::Computed;
        }));
    const auto first = std::find_if(blocks.begin(), blocks.end(), [](const BlockCovariance& b) {
        return b.status != CovarianceStatus::Computed;
    });
    const int size = static_cast<int>(first->parameters.size());
    if (failing == 1) {
        return text + QStringLiteral(" (block of %1 parameters)").arg(size);
    }
    return text + QStringLiteral(" (%1 of %2 blocks, the first of %3 parameters)")
                      .arg(failing)
                      .arg(blocks.size())
                      .arg(size);
}

} // namespace rivulet
