#include "lum/estimation/Func.h"

#include "lum/estimation/PartialEvaluator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace lum {

namespace {

double finiteOrLargest(double value)
{
    return std::isfinite(value) ? value : std::numeric_limits<double>::max();
}

} // namespace

Func::Func() = default;

Func::~Func() = default;

void Func::gradient(const std::vector<double>& x, std::vector<double>& g)
{
    if (hasExactGradient()) {
        const auto count = static_cast<std::size_t>(termCount());
        if (m_allTerms.size() != count) {
            m_allTerms.resize(count);
            std::iota(m_allTerms.begin(), m_allTerms.end(), 0);
        }
        g.assign(x.size(), 0.0);
        addTermsGradient(x, m_allTerms, g);
        return;
    }
    constexpr double EPS = 1e-8;
    if (!m_gradientEvaluator)
        m_gradientEvaluator = std::make_unique<PartialEvaluator>(*this);
    PartialEvaluator& evaluator = *m_gradientEvaluator;

    g.resize(x.size());
    evaluator.moveTo(x);
    evaluator.setBase();
    for (std::size_t j = 0; j < x.size(); ++j) {
        const int index = static_cast<int>(j);
        if (!evaluator.select(index)) {
            g[j] = 0.0;
            continue;
        }
        // Relative for large components, absolute near 0: a component that is merely close
        // to 0 (a coordinate of a probability near its centre) would otherwise get a step
        // too small to change the value at all.
        const double h0 = EPS * std::max(std::abs(x[j]), 1.0);
        const double moved = x[j] + h0;
        const double h = moved - x[j]; // the step actually taken, exactly representable
        g[j] = (evaluator.valueWith(index, moved) - evaluator.baseValue()) / h;
    }
}

bool Func::hasExactGradient() const
{
    return false;
}

void Func::addTermsGradient(const std::vector<double>& /*x*/, const std::vector<int>& /*terms*/,
                            std::vector<double>& /*g*/)
{
    throw std::logic_error("this function has no exact gradient");
}

int Func::termCount() const
{
    return 1;
}

const std::vector<int>& Func::termsOfParameter(int /*j*/) const
{
    static const std::vector<int> onlyTerm{0};
    return onlyTerm;
}

double Func::termsValue(const std::vector<double>& x, const std::vector<int>& terms)
{
    if (terms.empty())
        return 0.0;
    return finiteOrLargest((*this)(x));
}

void Func::termValues(const std::vector<double>& x, std::vector<double>& values)
{
    const int count = termCount();
    values.resize(static_cast<std::size_t>(count));
    for (int t = 0; t < count; ++t) {
        m_singleTerm[0] = t;
        values[static_cast<std::size_t>(t)] = termsValue(x, m_singleTerm);
    }
}

double Func::countedValue(const std::vector<double>& x)
{
    m_termEvaluations += static_cast<std::uint64_t>(termCount());
    ++m_evaluations;
    return finiteOrLargest((*this)(x));
}

double Func::countedTermsValue(const std::vector<double>& x, const std::vector<int>& terms)
{
    m_termEvaluations += terms.size();
    ++m_evaluations;
    return finiteOrLargest(termsValue(x, terms));
}

void Func::countedTermValues(const std::vector<double>& x, std::vector<double>& values)
{
    m_termEvaluations += static_cast<std::uint64_t>(termCount());
    ++m_evaluations;
    termValues(x, values);
    for (double& v : values)
        v = finiteOrLargest(v);
}

} // namespace lum
