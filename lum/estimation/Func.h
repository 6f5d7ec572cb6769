#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace lum {

class PartialEvaluator;

// An objective of a parameter vector, minimised by the optimizers and differentiated
// numerically for the covariance matrix.
//
// Term structure. A function that is a sum of independent terms, f(x) = sum_t f_t(x) (for the
// likelihood: one term per release), says so by overriding termCount(), termsOfParameter() and
// termsValue(); derivatives then evaluate only the terms that a difference can change. Contract:
// - termCount() is T >= 1 and does not change during the object's lifetime.
// - termsOfParameter(j), 0 <= j < x.size(): indices of the terms whose value can depend on x[j],
//   sorted ascending, without repeats, possibly empty. A term that is not listed must not change
//   when x[j] changes. The reference stays valid for the object's lifetime.
// - termsValue(x, terms): the sum of the listed terms at x, added in the listed order; the
//   largest double when that sum is not finite; 0 for an empty list.
// - termValues(x, values), optional: resize values to termCount() and store every term's value
//   at x (the largest double for a term whose value is not finite). The default makes one
//   termsValue() call per term; override it when all terms together cost less.
// - operator()(x) stays the full value: the sum of all terms, equal to the sum of termValues()
//   up to rounding.
// A function that keeps the defaults is one term that every parameter enters, and its
// derivatives are the plain finite differences.
//
// Exact gradient. A function that can differentiate its terms exactly says so by
// hasExactGradient() and overrides addTermsGradient(); gradient() then returns the exact
// gradient instead of differences, and the optimizers take it instead of differencing
// themselves. A gradient then costs a few evaluations of the terms instead of one per parameter.
//
// One object serves one thread at a time: the derivatives use scratch storage of the object.
class Func
{
public:
    Func();
    Func(const Func&) = delete;
    Func& operator=(const Func&) = delete;
    virtual ~Func();

    virtual double operator()(const std::vector<double>& x) = 0;
    // Forward differences with the step 1e-8 * max(|x_j|, 1), adjusted so that x_j + h is
    // exact. With a term structure only the terms of parameter j
    // are evaluated at x + h e_j.
    // With an exact gradient (hasExactGradient()), the sum of addTermsGradient() over all terms.
    virtual void gradient(const std::vector<double>& x, std::vector<double>& g);

    // Default: false.
    virtual bool hasExactGradient() const;
    // Adds the gradient of the sum of the listed terms at x to g, which has x.size() elements;
    // only the elements of parameters that those terms enter change. A term whose value is not
    // finite adds nothing. The default has no exact gradient and throws std::logic_error.
    virtual void addTermsGradient(const std::vector<double>& x, const std::vector<int>& terms,
                                  std::vector<double>& g);

    // Defaults: one term that every parameter enters.
    virtual int termCount() const;
    virtual const std::vector<int>& termsOfParameter(int j) const;
    // Default (one term): operator()(x), the largest double when that is not finite.
    virtual double termsValue(const std::vector<double>& x, const std::vector<int>& terms);
    virtual void termValues(const std::vector<double>& x, std::vector<double>& values);

    // Counted evaluation. The optimizers, the estimator and the Hessian evaluate through these
    // three, so the work of a computation can be measured in term evaluations: a full value
    // counts termCount(), a partial one the number of listed terms. A value that is not finite
    // is returned as the largest double.
    double countedValue(const std::vector<double>& x);
    double countedTermsValue(const std::vector<double>& x, const std::vector<int>& terms);
    void countedTermValues(const std::vector<double>& x, std::vector<double>& values);

    std::uint64_t termEvaluations() const { return m_termEvaluations; }
    void resetTermEvaluations() { m_termEvaluations = 0; }
    // Calls of the three counted evaluations, whole or partial: what a fit reports as its
    // number of evaluations.
    std::uint64_t evaluations() const { return m_evaluations; }

private:
    std::uint64_t m_termEvaluations = 0;
    std::uint64_t m_evaluations = 0;
    std::vector<int> m_singleTerm = std::vector<int>(1, 0);
    std::vector<int> m_allTerms;
    std::unique_ptr<PartialEvaluator> m_gradientEvaluator;
};

} // namespace lum
