#pragma once

#include "rivulet/model/FitSummary.h"

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace lum {
class Estimator;
class Func;
struct HessianSeed;
class OptimizerI;
class SoftmaxTransform;
} // namespace lum

namespace rivulet {

struct ParameterBlock;

// Profile-likelihood intervals of single parameters: the 95% interval of parameter j is
// {θ : 2 (ln L̂ − ln L_p(θ)) ≤ χ²₁(0.95)}, where ln L_p(θ) is the log-likelihood with θ held
// and the other parameters of j's block fitted again. Unlike a Wald interval it needs no
// standard error, so it serves estimates at a bound (one-sided: [0, θ_U] at 0, [θ_L, 1] at 1)
// and parameters the data inform only in combination with others (often reaching a bound).
//
// Each limit is found to a thousandth of a logit unit of j's share of its group's budget, by
// Newton's method on the profile: the slope of ln L_p at a fitted point is the derivative of
// the likelihood along j there (the others' own derivatives vanish at their optimum), so each
// point costs a fit and a gradient. Out from the estimate, Newton's points go at most four
// times as far as the last move (the first a fiftieth of the budget; from an estimate inside
// its range, whose slope is nil, half a logit unit); once the profile has crossed the
// cut-off, they stay within the bracket, and regula falsi takes over where they stop closing
// in. Near a bound a profile is close to a straight line in j and Newton's method ends within
// a few fits, where steps on the logit scale needed a dozen. Each point is a fit of j's block
// alone, started from the others' point at the inside end, the last one known to lie within the
// interval; the likelihood is borrowed and must only be used on the block's terms meanwhile. The
// fits of one side are a sequence of nearby problems, so the optimizer carries its curvature from
// one to the next (OptimizerI::setCarryCurvature): a Newton fit then starts with the last fit's
// factored Hessian, whose first step from the inside point is the first-order prediction of
// the new optimum, and computes a Hessian of its own only where that one misleads.
class ProfileLikelihood
{
public:
    static constexpr double ChiSquare95 = 3.841458820694124;

    // All borrowed; `optimizer` is used by one profile at a time. `chat` (at least 1) widens
    // the cut-off to χ²₁(0.95)·ĉ for overdispersed data (quasi-likelihood).
    ProfileLikelihood(lum::Func& likelihood, const lum::SoftmaxTransform& transform,
                      lum::OptimizerI& optimizer, double endingCriterion,
                      const std::atomic<bool>& cancel, double chat = 1.0);
    ~ProfileLikelihood();

    // The Hessian of the block's terms at the estimates, in the coordinates of the block's
    // transform (blockTransform of its parameters), which the first fit of each side starts
    // from instead of differencing its own: the profiled parameter's row and column aside, it
    // is the Hessian of that fit's problem at the estimates, to the change of budget in the
    // profiled parameter's group. The seed's matrix (its index unused); null (the default) to
    // difference.
    void setBlockHessian(std::shared_ptr<const lum::HessianSeed> hessian);
    // An optimizer (borrowed) that fits a point again, from the same start, where the first
    // one fails, say Newton's method at its iteration limit on a point whose others run off to
    // their bounds; null (the default) for none.
    void setFallback(lum::OptimizerI* optimizer);

    // The interval of parameter j of `block` at the estimates x (the whole model's free
    // parameters); none when canceled or when a fit fails.
    std::optional<ProfileInterval> interval(const ParameterBlock& block,
                                            const std::vector<double>& x, int j);

private:
    struct Held;

    // The negative log-likelihood of the block's terms with j held at t and the others fitted,
    // from (and into) `others`.
    std::optional<double> heldValue(Held& held, double t);
    // The derivative of that excess, 2 d(−ln L_p)/dt, at t with the others where the last fit
    // left them (the envelope theorem: the others' own derivatives vanish at their optimum).
    std::optional<double> heldSlope(Held& held, double t);
    // The limit on one side of the estimate: direction +1 (upper) or -1 (lower).
    std::optional<double> limit(Held& held, int direction);

    lum::Func& m_likelihood;
    const lum::SoftmaxTransform& m_transform;
    lum::OptimizerI& m_optimizer;
    std::unique_ptr<lum::Estimator> m_estimator;
    double m_endingCriterion = 0.0;
    std::unique_ptr<lum::Estimator> m_fallback;
    const std::atomic<bool>& m_cancel;
    double m_cutoff = ChiSquare95;
    std::shared_ptr<const lum::HessianSeed> m_blockHessian;
};

} // namespace rivulet
