#pragma once

#include "lum/estimation/Func.h"
#include "lum/estimation/SoftmaxTransform.h"

#include <vector>

namespace lum {

// An objective of parameters seen through a transform: the value at coordinates z is the inner
// function's value at the parameters x(z). Optimizers minimise this one in z, where there
// are no bounds to cross; the inner function never sees a point outside its domain.
//
// The inner function's term structure carries over: a coordinate moves every member of its
// group, so its terms are the union of the terms of those members, and the structure-aware
// differences keep evaluating only what a step can change.
//
// Both the inner function and the transform are borrowed. Evaluations reuse storage made at
// construction and redo the exponentials only of the groups whose coordinates changed since
// the last call, which suits differences that move one coordinate at a time.
class TransformedFunc : public Func
{
public:
    TransformedFunc(Func& inner, const SoftmaxTransform& transform);

    double operator()(const std::vector<double>& z) override;
    int termCount() const override;
    const std::vector<int>& termsOfParameter(int j) const override;
    double termsValue(const std::vector<double>& z, const std::vector<int>& terms) override;
    void termValues(const std::vector<double>& z, std::vector<double>& values) override;
    // The inner function's gradient carried to the coordinates by the chain rule.
    bool hasExactGradient() const override;
    void addTermsGradient(const std::vector<double>& z, const std::vector<int>& terms,
                          std::vector<double>& g) override;

    // The parameters at z; valid until the next evaluation.
    const std::vector<double>& parametersAt(const std::vector<double>& z);

private:
    void moveTo(const std::vector<double>& z);

    Func& m_inner;
    const SoftmaxTransform& m_transform;
    std::vector<double> m_z; // the coordinates m_x belongs to
    std::vector<double> m_x;
    std::vector<double> m_parameterGradient; // scratch of one gradient
    bool m_current = false;
    std::vector<std::vector<int>> m_groupTerms;
};

} // namespace lum
