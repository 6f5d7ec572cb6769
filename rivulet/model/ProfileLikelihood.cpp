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
#include <limits>
#include <numeric>

namespace rivulet {

namespace {

// Logits beyond this are a share within about 1e-8 of its bound: the bound itself.
constexpr double FarLogit = 18.0;
// The limits are found to this many logit units.
constexpr double LogitTolerance = 1e-3;
// An estimate this close to a bound, as a share of its budget, sits on it.
constexpr double AtBound = 1e-6;
// Fits one side of a profile may take before its bracket's middle is taken as the limit.
constexpr int MaxEvaluations = 60;

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
    int position = 0;      // j's place among the block's parameters
    lum::HessianSeed seed; // the block's Hessian without j, when known
};

ProfileLikelihood::ProfileLikelihood(lum::Func& likelihood, const lum::SoftmaxTransform& transform,
                                     lum::OptimizerI& optimizer, double endingCriterion,
                                     const std::atomic<bool>& cancel, double chat)
    : m_likelihood(likelihood), m_transform(transform), m_optimizer(optimizer),
      m_estimator(std::make_unique<lum::Estimator>(optimizer, endingCriterion)),
      m_endingCriterion(endingCriterion), m_cancel(cancel),
      m_cutoff(ChiSquare95 * (chat > 1.0 ? chat : 1.0))
{
}

ProfileLikelihood::~ProfileLikelihood() = default;

void ProfileLikelihood::setFallback(lum::OptimizerI* optimizer)
{
    m_fallback =
        optimizer ? std::make_unique<lum::Estimator>(*optimizer, m_endingCriterion) : nullptr;
}

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
    const std::vector<double> from = z;
    try {
        if (!z.empty())
            m_estimator->estimate(objective, z, m_cancel);
    } catch (const std::exception&) {
        if (!m_fallback)
            return std::nullopt;
        z = from;
        try {
            m_fallback->estimate(objective, z, m_cancel);
        } catch (const std::exception&) {
            return std::nullopt;
        }
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

std::optional<double> ProfileLikelihood::heldSlope(Held& held, double t)
{
    // The block's parameters in its own order, j at t and the others where the last fit left
    // them.
    std::vector<double> x;
    x.reserve(held.start.size() + 1);
    const std::size_t at = static_cast<std::size_t>(held.position);
    x.insert(x.end(), held.start.begin(), held.start.begin() + static_cast<std::ptrdiff_t>(at));
    x.push_back(t);
    x.insert(x.end(), held.start.begin() + static_cast<std::ptrdiff_t>(at), held.start.end());
    held.point[static_cast<std::size_t>(held.parameter)] = t;
    lum::BlockFunc func(m_likelihood, held.point, held.block.parameters, held.block.terms);
    std::vector<double> g;
    try {
        func.gradient(x, g);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    // The others of j's group are fitted as shares of the room t leaves them, so raising t
    // shrinks each in proportion to its value.
    const double room = held.budget - t;
    double slope = g[at];
    if (room > 0.0) {
        const int group = m_transform.groupOf(held.parameter);
        const std::vector<int>& parameters = held.block.parameters;
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            if (i != at && m_transform.groupOf(parameters[i]) == group)
                slope -= x[i] / room * g[i];
        }
    }
    if (!std::isfinite(slope))
        return std::nullopt;
    return 2.0 * slope;
}

std::optional<double> ProfileLikelihood::limit(Held& held, int direction)
{
    const double share = held.estimate / held.budget;
    // At the bound it looks past: the interval reaches it.
    if ((direction > 0 && share >= 1.0 - AtBound) || (direction < 0 && share <= AtBound))
        return direction > 0 ? held.budget : 0.0;
    const std::vector<double> fitted = held.start;
    const double budget = held.budget;
    // The other side's curvature is two limits away; the estimates' lies between the two.
    m_optimizer.setCarryCurvature(true);
    if (held.seed.matrix)
        m_optimizer.seedCurvature(held.seed);
    // A point of the profile: u on the logit scale of j's share, j's value t there, the
    // excess of 2 (ln L̂ − ln L_p) over the cut-off, and the excess's slope by t (none when the
    // point's fit gave no usable slope).
    struct Point
    {
        double u = 0.0;
        double t = 0.0;
        double excess = 0.0;
        std::optional<double> slope;
    };
    const auto toLogit = [budget](double t) {
        return std::clamp(logit(t / budget), -FarLogit, FarLogit);
    };
    // Every fit starts from the others' point at the inside end, the last point known to lie
    // within the interval: a fit that went astray beyond the limit must not lead the next.
    std::vector<double> insideStart = fitted;
    const auto evaluate = [&](double u) -> std::optional<Point> {
        held.start = insideStart;
        const double t = budget * logistic(u);
        const std::optional<double> value = heldValue(held, t);
        if (!value)
            return std::nullopt;
        return Point{u, t, 2.0 * (*value - held.best) - m_cutoff, heldSlope(held, t)};
    };
    // Newton's point on j's own scale, where a profile near a bound is close to a straight line
    // (on the logit scale it is an exponential there, and Newton's steps overshoot by orders of
    // magnitude); none when the slope does not rise outwards. It may lie beyond j's range.
    const auto newton = [&](const Point& p) -> std::optional<double> {
        if (!p.slope || !(*p.slope * direction > 0.0))
            return std::nullopt;
        const double t = p.t - p.excess / *p.slope;
        if (!std::isfinite(t))
            return std::nullopt;
        return t;
    };
    const auto beyond = [direction](double a, double b) { return direction * (a - b) > 0.0; };

    // At the bound it looks away from, the estimate's slope is the data's pull towards the
    // bound, and predicts the crossing; inside its range the slope is nil, and the first step
    // a plain one.
    const bool fromBound = direction > 0 ? share <= AtBound : share >= 1.0 - AtBound;
    const double startU = std::clamp(logit(share), -FarLogit, FarLogit);
    Point inside{startU, budget * logistic(startU), -m_cutoff,
                 fromBound ? heldSlope(held, held.estimate) : std::nullopt};
    held.start = fitted;
    std::optional<Point> outside;
    Point last = inside;
    double step = 0.5;
    double lastMove = std::numeric_limits<double>::infinity();
    // Regula falsi's weights of the two ends, halved on the end that stays (Illinois).
    double insideWeight = 1.0;
    double outsideWeight = 1.0;
    int kept = 0;
    for (int evaluations = 0; evaluations < MaxEvaluations; ++evaluations) {
        const std::optional<double> t = newton(last);
        double u = 0.0;
        if (outside) {
            // Within the bracket Newton's point while its moves shrink fast, else regula falsi
            // on j's own scale.
            const double low = inside.t;
            const double high = outside->t;
            const bool within =
                t && beyond(*t, low) && beyond(high, *t) && std::abs(*t - last.t) <= 0.5 * lastMove;
            double next = 0.0;
            if (within) {
                next = *t;
            } else {
                const double a = insideWeight * inside.excess;
                const double b = outsideWeight * outside->excess;
                next = high - b * (high - low) / (b - a);
            }
            u = toLogit(next);
            if (!beyond(u, inside.u) || !beyond(outside->u, u))
                u = 0.5 * (inside.u + outside->u);
        } else if (!t || !beyond(toLogit(*t), inside.u)) {
            // Out from the inside end in growing steps of at most two logit units, so that
            // each fit starts near its optimum.
            u = inside.u + direction * step;
            step = std::min(2.0 * step, 2.0);
        } else {
            // Newton's point, but not far beyond where the profile was seen: a fit far outside
            // the interval starts far from its optimum and costs several of the fits near it
            // (a Newton fit recomputes its Hessian there). The first move is a fiftieth of the
            // budget at most, each next at most four times the last.
            const double from = inside.t;
            const double reach = evaluations == 0 ? 0.02 * budget : 4.0 * lastMove;
            u = toLogit(
                std::clamp(*t, std::max(from - reach, 0.0), std::min(from + reach, budget)));
            if (!beyond(u, inside.u))
                u = inside.u + direction * 0.5;
        }
        u = std::clamp(u, -FarLogit, FarLogit);
        const std::optional<Point> p = evaluate(u);
        if (!p)
            return std::nullopt;
        lastMove = std::abs(p->t - last.t);
        last = *p;
        if (p->excess > 0.0) {
            outside = p;
            if (kept == -1)
                insideWeight /= 2.0;
            else
                insideWeight = 1.0;
            outsideWeight = 1.0;
            kept = -1;
        } else {
            inside = *p;
            insideStart = held.start;
            if (!outside && std::abs(p->u) >= FarLogit) {
                // The profile never crosses the cut-off: the interval reaches the bound.
                held.start = fitted;
                return direction > 0 ? budget : 0.0;
            }
            if (kept == 1)
                outsideWeight /= 2.0;
            else
                outsideWeight = 1.0;
            insideWeight = 1.0;
            kept = 1;
        }
        if (!outside)
            continue;
        if (std::abs(outside->u - inside.u) <= LogitTolerance)
            break;
        // Where Newton's next move is below the tolerance, its point is the limit.
        const std::optional<double> next = newton(last);
        if (next && std::abs(toLogit(*next) - last.u) <= 0.5 * LogitTolerance &&
            !beyond(inside.u, toLogit(*next)) && !beyond(toLogit(*next), outside->u)) {
            held.start = fitted;
            return std::clamp(*next, 0.0, budget);
        }
    }
    held.start = fitted;
    if (!outside)
        return std::nullopt;
    return budget * logistic(0.5 * (inside.u + outside->u));
}

std::optional<ProfileInterval> ProfileLikelihood::interval(const ParameterBlock& block,
                                                           const std::vector<double>& x, int j)
{
    Held held{
        block, {}, x, j, m_transform.budget(m_transform.groupOf(j)), x[static_cast<std::size_t>(j)],
        0.0,   {}, 0, {}};
    std::copy_if(block.parameters.begin(), block.parameters.end(), std::back_inserter(held.others),
                 [j](int p) { return p != j; });
    held.position = static_cast<int>(
        std::find(block.parameters.begin(), block.parameters.end(), j) - block.parameters.begin());
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
