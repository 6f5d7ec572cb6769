#include "rivulet/model/ProfileLikelihood.h"

#include "lum/estimation/BlockFunc.h"
#include "lum/estimation/Estimator.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/SoftmaxTransform.h"
#include "lum/estimation/SparseHessian.h"
#include "lum/estimation/TransformedFunc.h"
#include "rivulet/model/ParameterBlocks.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numeric>

namespace rivulet {

namespace {

// Logits beyond this are a share within about 1e-8 of its bound: the bound itself.
constexpr double FarLogit = 18.0;
// The limits are found to this many logit units.
constexpr double LogitTolerance = 1e-3;
// An estimate this close to a bound, as a share of its budget, sits on it.
constexpr double AtBound = 1e-6;

double logit(double share)
{
    share = std::clamp(share, 1e-12, 1.0 - 1e-12);
    return std::log(share / (1.0 - share));
}

double logistic(double u)
{
    return 1.0 / (1.0 + std::exp(-u));
}

} // namespace

// One parameter's profile: its block without it, its budget, the estimate, the value of the
// block's terms at the estimates, and the others' point of the last fit.
struct ProfileLikelihood::Held
{
    const ParameterBlock& block;
    std::vector<int> others;
    std::vector<double> point;
    int parameter = 0;
    double budget = 1.0;
    double estimate = 0.0;
    double best = 0.0;
    std::vector<double> start;
    lum::HessianSeed seed; // the block's Hessian without j, when known
};

ProfileLikelihood::ProfileLikelihood(lum::Func& likelihood, const lum::SoftmaxTransform& transform,
                                     lum::OptimizerI& optimizer, double endingCriterion,
                                     const std::atomic<bool>& cancel, double chat)
    : m_likelihood(likelihood), m_transform(transform), m_optimizer(optimizer),
      m_estimator(std::make_unique<lum::Estimator>(optimizer, endingCriterion)), m_cancel(cancel),
      m_cutoff(ChiSquare95 * (chat > 1.0 ? chat : 1.0))
{
}

ProfileLikelihood::~ProfileLikelihood() = default;

void ProfileLikelihood::setBlockHessian(std::shared_ptr<const lum::HessianSeed> hessian)
{
    m_blockHessian = std::move(hessian);
}

std::optional<double> ProfileLikelihood::heldValue(Held& held, double t)
{
    held.point[static_cast<std::size_t>(held.parameter)] = t;
    lum::BlockFunc func(m_likelihood, held.point, held.others, held.block.terms);
    const lum::SoftmaxTransform local = blockTransform(m_transform, held.others, held.parameter, t);
    // The others of j's group must fit into the budget t leaves them.
    std::vector<double> x = held.start;
    const int group = m_transform.groupOf(held.parameter);
    double used = 0.0;
    for (std::size_t i = 0; i < held.others.size(); ++i) {
        if (m_transform.groupOf(held.others[i]) == group)
            used += x[i];
    }
    const double room = std::max(0.0, held.budget - t) * (1.0 - 1e-6);
    if (used > room) {
        for (std::size_t i = 0; i < held.others.size(); ++i) {
            if (m_transform.groupOf(held.others[i]) == group)
                x[i] *= used > 0.0 ? room / used : 0.0;
        }
    }
    lum::TransformedFunc objective(func, local);
    std::vector<double> z;
    local.toCoordinates(x, z);
    try {
        if (!z.empty())
            m_estimator->estimate(objective, z, m_cancel);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (m_cancel.load())
        return std::nullopt;
    local.toParameters(z, x);
    const double value = func(x);
    if (!std::isfinite(value))
        return std::nullopt;
    held.start = std::move(x);
    return value;
}

std::optional<double> ProfileLikelihood::limit(Held& held, int direction)
{
    const double share = held.estimate / held.budget;
    // At the bound it looks past: the interval reaches it.
    if ((direction > 0 && share >= 1.0 - AtBound) || (direction < 0 && share <= AtBound))
        return direction > 0 ? held.budget : 0.0;
    const std::vector<double> fitted = held.start;
    // The other side's curvature is two limits away; the estimates' lies between the two.
    m_optimizer.setCarryCurvature(true);
    if (held.seed.matrix)
        m_optimizer.seedCurvature(held.seed);
    // Every fit starts from the others' point at the inside end, the last point known to lie
    // within the interval: a fit that went astray beyond the limit must not lead the next.
    std::vector<double> insideStart = fitted;
    std::vector<double> tried;
    const auto excess = [&](double u) -> std::optional<double> {
        held.start = insideStart;
        const std::optional<double> value = heldValue(held, held.budget * logistic(u));
        if (!value)
            return std::nullopt;
        tried = held.start;
        return 2.0 * (*value - held.best) - m_cutoff;
    };
    // Out from the estimate in growing steps until the profile crosses the cut-off.
    double inside = std::clamp(logit(share), -FarLogit, FarLogit);
    double insideExcess = -m_cutoff;
    double outside = inside;
    double outsideExcess = 0.0;
    bool crossed = false;
    // Steps of at most two logit units, so that each fit starts near its optimum.
    for (double step = 0.5; !crossed; step = std::min(2.0 * step, 2.0)) {
        outside = inside + direction * step;
        if (std::abs(outside) > FarLogit) {
            outside = direction * FarLogit;
        }
        const std::optional<double> e = excess(outside);
        if (!e)
            return std::nullopt;
        outsideExcess = *e;
        if (outsideExcess > 0.0) {
            crossed = true;
        } else if (std::abs(outside) >= FarLogit) {
            held.start = fitted;
            return direction > 0 ? held.budget : 0.0;
        } else {
            inside = outside;
            insideExcess = outsideExcess;
            insideStart = tried;
        }
    }
    // Regula falsi with the Illinois halving, which keeps both ends moving.
    int kept = 0;
    while (std::abs(outside - inside) > LogitTolerance) {
        const double u =
            outside - outsideExcess * (outside - inside) / (outsideExcess - insideExcess);
        const std::optional<double> e = excess(u);
        if (!e)
            return std::nullopt;
        if (*e > 0.0) {
            outside = u;
            outsideExcess = *e;
            if (kept == -1)
                insideExcess /= 2.0;
            kept = -1;
        } else {
            inside = u;
            insideExcess = *e;
            insideStart = tried;
            if (kept == 1)
                outsideExcess /= 2.0;
            kept = 1;
        }
    }
    held.start = fitted;
    return held.budget * logistic(0.5 * (inside + outside));
}

std::optional<ProfileInterval> ProfileLikelihood::interval(const ParameterBlock& block,
                                                           const std::vector<double>& x, int j)
{
    Held held{
        block, {}, x, j, m_transform.budget(m_transform.groupOf(j)), x[static_cast<std::size_t>(j)],
        0.0,   {}, {}};
    std::copy_if(block.parameters.begin(), block.parameters.end(), std::back_inserter(held.others),
                 [j](int p) { return p != j; });
    for (const int p : held.others)
        held.start.push_back(x[static_cast<std::size_t>(p)]);
    if (m_blockHessian && m_blockHessian->matrix &&
        m_blockHessian->matrix->cols() == static_cast<int>(block.parameters.size())) {
        held.seed.matrix = m_blockHessian->matrix;
        for (std::size_t i = 0; i < block.parameters.size(); ++i) {
            if (block.parameters[i] != j)
                held.seed.index.push_back(static_cast<int>(i));
        }
    }
    if (held.budget <= 0.0)
        return ProfileInterval{j, 0.0, 0.0};
    {
        lum::BlockFunc func(m_likelihood, held.point, held.others, block.terms);
        held.best = func(held.start);
    }
    const std::optional<double> lower = limit(held, -1);
    const std::optional<double> upper = lower ? limit(held, +1) : std::nullopt;
    // What was kept is of this parameter's block only.
    m_optimizer.setCarryCurvature(false);
    if (!lower || !upper)
        return std::nullopt;
    return ProfileInterval{j, *lower, *upper};
}

} // namespace rivulet
