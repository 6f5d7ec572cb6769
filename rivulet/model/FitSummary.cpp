#include "rivulet/model/FitSummary.h"

#include <QStringList>

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
    case CovarianceStatus::Reduced:
        break;
    }
    return QStringLiteral("covariance not computed");
}

bool lacksCovariance(const BlockCovariance& block)
{
    return block.status != CovarianceStatus::Computed && block.status != CovarianceStatus::Reduced;
}

// "3 at a bound, 1 not estimable", the parts that are not 0.
QString setAsideText(int atBound, int notEstimable)
{
    QStringList parts;
    if (atBound > 0)
        parts << QStringLiteral("%1 at a bound").arg(atBound);
    if (notEstimable > 0)
        parts << QStringLiteral("%1 not estimable").arg(notEstimable);
    return parts.join(QStringLiteral(", "));
}

} // namespace

bool FitSummary::hasCovariance() const
{
    return std::none_of(blocks.begin(), blocks.end(), lacksCovariance);
}

CovarianceStatus FitSummary::covarianceStatus() const
{
    // A block without a covariance says more than one with a reduced one.
    for (const BlockCovariance& block : blocks) {
        if (lacksCovariance(block)) {
            return block.status;
        }
    }
    for (const BlockCovariance& block : blocks) {
        if (block.status == CovarianceStatus::Reduced) {
            return block.status;
        }
    }
    return CovarianceStatus::Computed;
}

int FitSummary::atBound() const
{
    int count = 0;
    for (const BlockCovariance& block : blocks)
        count += block.atBound;
    return count;
}

int FitSummary::notEstimable() const
{
    int count = 0;
    for (const BlockCovariance& block : blocks)
        count += block.notEstimable;
    return count;
}

QString FitSummary::statusText() const
{
    switch (ending) {
    case FitEnding::Converged: {
        const CovarianceStatus status = covarianceStatus();
        if (status == CovarianceStatus::Computed && atBound() == 0) {
            return QStringLiteral("converged");
        }
        if (status == CovarianceStatus::Computed || status == CovarianceStatus::Reduced) {
            return QStringLiteral("converged; ") + setAsideText(atBound(), notEstimable());
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
    if (status == CovarianceStatus::Reduced) {
        return text + QStringLiteral("covariance computed with ") +
               setAsideText(atBound(), notEstimable()) + QStringLiteral(" set aside");
    }
    text += covarianceText(status);
    if (status == CovarianceStatus::Computed && atBound() > 0) {
        return text + QStringLiteral("; ") + setAsideText(atBound(), 0) +
               QStringLiteral(" without a standard error");
    }
    if (status == CovarianceStatus::Computed || blocks.size() < 2) {
        return text;
    }
    // Of a model fitted in blocks, say which part lacks it: the first such block's size, and
    // how many there are when there are several.
    const auto failing =
        static_cast<int>(std::count_if(blocks.begin(), blocks.end(), lacksCovariance));
    const auto first = std::find_if(blocks.begin(), blocks.end(), lacksCovariance);
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
